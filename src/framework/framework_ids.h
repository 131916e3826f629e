#pragma once

// The command and string numbers the framework itself uses: the standard file, window
// and help commands, the application title and the framework's own messages. The
// program's resource tables use the same numbers.
namespace fw::ids {

inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_FILE_OPEN = 57601;
inline constexpr unsigned ID_FILE_CLOSE = 57602;
inline constexpr unsigned ID_FILE_SAVE = 57603;
inline constexpr unsigned ID_FILE_SAVE_AS = 57604;
inline constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
inline constexpr unsigned ID_FILE_MRU_FILE2 = 57617;
inline constexpr unsigned ID_FILE_MRU_FILE3 = 57618;
inline constexpr unsigned ID_FILE_MRU_FILE4 = 57619;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_WINDOW_NEW = 57648;
inline constexpr unsigned ID_WINDOW_ARRANGE = 57649;
inline constexpr unsigned ID_WINDOW_CASCADE = 57650;
inline constexpr unsigned ID_WINDOW_TILE_HORZ = 57651;
inline constexpr unsigned ID_HELP_FINDER = 57667;
inline constexpr unsigned ID_CONTEXT_HELP = 57669;
inline constexpr unsigned ID_HELP = 57670;
inline constexpr unsigned ID_DEFAULT_HELP = 57671;
inline constexpr unsigned IDS_APP_TITLE = 57344;
inline constexpr unsigned IDS_IDLE_MESSAGE = 57345;
inline constexpr unsigned IDS_HELP_MODE_MESSAGE = 57346;
inline constexpr unsigned IDS_OPEN_TITLE = 61440;
inline constexpr unsigned IDS_SAVE_TITLE = 61441;
inline constexpr unsigned IDS_ALL_FILES = 61442;
inline constexpr unsigned IDS_UNTITLED_FILE = 61446;
inline constexpr unsigned IDS_NO_ERROR_MESSAGE = 61472;
inline constexpr unsigned IDS_NOT_SUPPORTED = 61473;
inline constexpr unsigned IDS_RESOURCE_EXCEPTION = 61474;
inline constexpr unsigned IDS_MEMORY_EXCEPTION = 61475;
inline constexpr unsigned IDS_INVALID_FILENAME = 61696;
inline constexpr unsigned IDS_FAILED_OPEN_DOC = 61697;
inline constexpr unsigned IDS_FAILED_SAVE_DOC = 61698;
inline constexpr unsigned IDS_FAILED_NEW_DOC = 61700;
inline constexpr unsigned IDS_INTERNAL_ERROR = 61704;
inline constexpr unsigned IDS_COMMAND_FAILURE = 61705;
inline constexpr unsigned IDS_UNEXPECTED_FORMAT = 61728;
inline constexpr unsigned IDS_FILE_ERROR_BASE = 61856;     // + file error cause 0..14
inline constexpr unsigned IDS_ARCHIVE_ERROR_BASE = 61872;  // + archive error cause 0..7
inline constexpr unsigned IDS_SC_SIZE = 61184;
inline constexpr unsigned IDS_SC_MOVE = 61185;
inline constexpr unsigned IDS_SC_MINIMIZE = 61186;
inline constexpr unsigned IDS_SC_MAXIMIZE = 61187;
inline constexpr unsigned IDS_SC_NEXTWINDOW = 61188;
inline constexpr unsigned IDS_SC_PREVWINDOW = 61189;
inline constexpr unsigned IDS_SC_CLOSE = 61190;
inline constexpr unsigned IDS_SC_RESTORE = 61202;

}  // namespace fw::ids
