#pragma once

// Numeric identifiers of commands, resources, dialog controls and strings. The numbers
// are fixed: menus, accelerators, the tool bar and the string table refer to them.
#include "framework/framework_ids.h"

namespace res {

using namespace fw::ids;

// File
inline constexpr unsigned ID_FILE_READ_TEXT = 32781;
inline constexpr unsigned ID_FILE_SAVE_TEXT = 32782;

// Edit
inline constexpr unsigned ID_EDIT_MODIFY = 32772;
inline constexpr unsigned ID_EDIT_UNDO = 57643;
inline constexpr unsigned ID_EDIT_CUT = 57635;
inline constexpr unsigned ID_EDIT_COPY = 57634;
inline constexpr unsigned ID_EDIT_PASTE = 57637;
inline constexpr unsigned ID_EDIT_CLEAR = 57632;  // Delete
inline constexpr unsigned ID_EDIT_CLEAR_ALL = 57633;
inline constexpr unsigned ID_EDIT_FIND = 57636;

// View
inline constexpr unsigned ID_VIEW_TOOLBAR = 59392;
inline constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
inline constexpr unsigned ID_VIEW_START_MINIMIZED = 32778;
inline constexpr unsigned ID_VIEW_STARTUP_FILE = 32779;
inline constexpr unsigned ID_VIEW_TOPMOST = 32780;

// Clipboard
inline constexpr unsigned ID_CLIP_CLEAR = 32774;
inline constexpr unsigned ID_CLIP_AUTO_PASTE = 32775;

// Window
inline constexpr unsigned ID_WINDOW_CLOSE_ALL = 32776;

// Help and panes
inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_NEXT_PANE = 57680;
inline constexpr unsigned ID_PREV_PANE = 57681;

// Every command of the command table, including those reached only by keys.
inline constexpr unsigned kCommandIds[] = {
    ID_FILE_NEW,          ID_FILE_OPEN,         ID_FILE_CLOSE,          ID_FILE_SAVE,
    ID_FILE_SAVE_AS,      ID_FILE_READ_TEXT,    ID_FILE_SAVE_TEXT,      ID_FILE_MRU_FILE1,
    ID_FILE_MRU_FILE2,    ID_FILE_MRU_FILE3,    ID_FILE_MRU_FILE4,      ID_APP_EXIT,
    ID_EDIT_MODIFY,       ID_EDIT_UNDO,         ID_EDIT_CUT,            ID_EDIT_COPY,
    ID_EDIT_PASTE,        ID_EDIT_CLEAR,        ID_EDIT_CLEAR_ALL,      ID_EDIT_FIND,
    ID_VIEW_TOOLBAR,      ID_VIEW_STATUS_BAR,   ID_VIEW_START_MINIMIZED, ID_VIEW_STARTUP_FILE,
    ID_VIEW_TOPMOST,      ID_CLIP_CLEAR,        ID_CLIP_AUTO_PASTE,     ID_WINDOW_NEW,
    ID_WINDOW_CASCADE,    ID_WINDOW_TILE_HORZ,  ID_WINDOW_ARRANGE,      ID_WINDOW_CLOSE_ALL,
    ID_HELP_FINDER,       ID_APP_ABOUT,         ID_CONTEXT_HELP,        ID_HELP,
    ID_DEFAULT_HELP,      ID_NEXT_PANE,         ID_PREV_PANE,
};

// Status bar panes
inline constexpr unsigned ID_INDICATOR_CAPS = 59137;
inline constexpr unsigned ID_INDICATOR_NUM = 59138;
inline constexpr unsigned ID_INDICATOR_SCRL = 59139;
inline constexpr unsigned ID_INDICATOR_KANA = 59142;
inline constexpr unsigned ID_INDICATOR_ITEMS = 59143;

// Fixed strings

// Resources: 128 is the main window's menu, accelerators, tool bar, icon and title;
// 129 the document type's menu, icon and template string.
inline constexpr unsigned IDR_MAINFRAME = 128;
inline constexpr unsigned IDR_TLVNTYPE = 129;
inline constexpr unsigned IDC_CLIPLIST = 130;
inline constexpr unsigned IDR_CONTEXT_MENU = 133;
inline constexpr unsigned IDD_ABOUTBOX = 100;
inline constexpr unsigned IDD_CLIP_EDIT = 131;
inline constexpr unsigned IDD_STARTUP_FILE = 132;
inline constexpr unsigned IDD_FIND = 1540;  // the find dialog, numbered as the platform's

// Dialog controls
inline constexpr unsigned IDOK = 1;
inline constexpr unsigned IDCANCEL = 2;
inline constexpr unsigned IDC_STATIC = 0xFFFF;  // controls nobody addresses
inline constexpr unsigned IDC_EDIT_TEXT = 1000;
inline constexpr unsigned IDC_UPDATE = 1001;
inline constexpr unsigned IDC_INSERT = 1002;
inline constexpr unsigned IDC_EDIT_CANCEL = 1003;
inline constexpr unsigned IDC_CLEAR = 1004;
inline constexpr unsigned IDC_TRANSFER = 1005;
inline constexpr unsigned IDC_STARTUP_PATH = 1006;
inline constexpr unsigned IDC_BROWSE = 1007;
inline constexpr unsigned IDC_CLEAR_PATH = 1008;
inline constexpr unsigned IDC_FIND_UP = 1056;
inline constexpr unsigned IDC_FIND_DOWN = 1057;
inline constexpr unsigned IDC_FIND_DIRECTION = 1072;
inline constexpr unsigned IDC_FIND_TEXT = 1152;

// Framework messages
inline constexpr unsigned IDS_UNREG_DONE = 61707;
inline constexpr unsigned IDS_UNREG_FAILURE = 61708;

// Prompts of the window's system menu: the system command's number minus 256.

}  // namespace res
