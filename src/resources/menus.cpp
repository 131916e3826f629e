#include "resources/menus.h"

#include "resources/command_ids.h"

namespace res {
namespace {

constexpr MenuItem kSeparator{0, ""};

constexpr MenuItem kNew{ID_FILE_NEW, "新規作成(&N)\tCtrl+N"};
constexpr MenuItem kOpen{ID_FILE_OPEN, "開く(&O)...\tCtrl+O"};
constexpr MenuItem kClose{ID_FILE_CLOSE, "閉じる(&C)"};
constexpr MenuItem kSave{ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S"};
constexpr MenuItem kSaveAs{ID_FILE_SAVE_AS, "名前を付けて保存(&A)..."};
constexpr MenuItem kReadText{ID_FILE_READ_TEXT, "ﾃｷｽﾄﾌｧｲﾙ読み込み(&R)..."};
constexpr MenuItem kSaveText{ID_FILE_SAVE_TEXT, "ﾃｷｽﾄﾌｧｲﾙとして保存(&W)..."};
// Stands in for the recent-file list while it is empty.
constexpr MenuItem kRecentFiles{ID_FILE_MRU_FILE1, "最新のﾌｧｲﾙ", true};
constexpr MenuItem kExit{ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"};

constexpr MenuItem kModify{ID_EDIT_MODIFY, "修正(&E)...\tCtrl+E"};
constexpr MenuItem kUndo{ID_EDIT_UNDO, "元に戻す(&U)\tCtrl+Z"};
constexpr MenuItem kCut{ID_EDIT_CUT, "切り取り(&T)\tCtrl+X"};
constexpr MenuItem kCopy{ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C"};
constexpr MenuItem kPaste{ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V"};
constexpr MenuItem kDelete{ID_EDIT_CLEAR, "削除(&D)\tDel"};
constexpr MenuItem kDeleteAll{ID_EDIT_CLEAR_ALL, "すべてを削除(&A)..."};
constexpr MenuItem kFind{ID_EDIT_FIND, "文字列の検索(&F)...\tCtrl+F"};

constexpr MenuItem kViewItems[] = {
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)"},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"},
    kSeparator,
    {ID_VIEW_START_MINIMIZED, "起動時常に最小化(&I)"},
    {ID_VIEW_STARTUP_FILE, "起動時開くﾌｧｲﾙ(&F)..."},
    kSeparator,
    {ID_VIEW_TOPMOST, "常に手前に表示(&O)"},
};

constexpr MenuItem kHelpFinder{ID_HELP_FINDER, "ﾄﾋﾟｯｸの検索(&H)"};

constexpr std::string_view kFileTitle = "ﾌｧｲﾙ(&F)";
constexpr std::string_view kEditTitle = "編集(&E)";
constexpr std::string_view kViewTitle = "表示(&V)";
constexpr std::string_view kClipboardTitle = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ(&C)";
constexpr std::string_view kWindowTitle = "ｳｨﾝﾄﾞｳ(&W)";
constexpr std::string_view kHelpTitle = "ﾍﾙﾌﾟ(&H)";

// Menu 128: no document window open.
constexpr MenuItem kMainFileItems[] = {
    kNew, kOpen, kSeparator, kReadText, kSaveText, kSeparator, kRecentFiles, kSeparator, kExit,
};
// The two menus write the version item differently: here without a blank before "(&A)".
constexpr MenuItem kMainHelpItems[] = {
    kHelpFinder,
    kSeparator,
    {ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(Tolvane)(&A)..."},
};
constexpr MenuPopup kMainMenu[] = {
    {kFileTitle, kMainFileItems},
    {kViewTitle, kViewItems},
    {kHelpTitle, kMainHelpItems},
};

// Menu 129: a document window active.
constexpr MenuItem kDocFileItems[] = {
    kNew, kOpen, kClose, kSave, kSaveAs, kSeparator,
    kReadText, kSaveText, kSeparator, kRecentFiles, kSeparator, kExit,
};
constexpr MenuItem kDocEditItems[] = {
    kModify, kUndo, kSeparator, kCut, kCopy, kPaste, kSeparator, kDelete, kDeleteAll,
    kSeparator, kFind,
};
constexpr MenuItem kDocClipboardItems[] = {
    {ID_CLIP_CLEAR, "消去(&C)"},
    {ID_CLIP_AUTO_PASTE, "自動貼り付け(&A)"},
};
// The window system appends the open document windows to this popup.
constexpr MenuItem kDocWindowItems[] = {
    {ID_WINDOW_NEW, "新しいｳｨﾝﾄﾞｳを開く(&N)"},
    {ID_WINDOW_CASCADE, "重ねて表示(&C)"},
    {ID_WINDOW_TILE_HORZ, "並べて表示(&T)"},
    {ID_WINDOW_ARRANGE, "最小化ｳｨﾝﾄﾞｳの整列(&A)"},
    kSeparator,
    {ID_WINDOW_CLOSE_ALL, "すべてを閉じる(&L)"},
};
constexpr MenuItem kDocHelpItems[] = {
    kHelpFinder,
    kSeparator,
    {ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(Tolvane) (&A)..."},
};
constexpr MenuPopup kDocMenu[] = {
    {kFileTitle, kDocFileItems},
    {kEditTitle, kDocEditItems},
    {kViewTitle, kViewItems},
    {kClipboardTitle, kDocClipboardItems},
    {kWindowTitle, kDocWindowItems},
    {kHelpTitle, kDocHelpItems},
};

// Menu 133: the list's context menu.
constexpr MenuItem kContextItems[] = {
    kModify, kSeparator, kCut, kCopy, kSeparator, kDelete,
};
constexpr MenuPopup kContextMenu[] = {
    {"", kContextItems},
};

// The document window's own menu, as the window system words it; its keys are the main
// window's (Ctrl+F4, Ctrl+F6).
constexpr MenuItem kDocumentWindowItems[] = {
    {IDS_SC_RESTORE, "元のｻｲｽﾞに戻す(&R)"},
    {IDS_SC_MOVE, "移動(&M)"},
    {IDS_SC_SIZE, "ｻｲｽﾞ変更(&S)"},
    {IDS_SC_MINIMIZE, "最小化(&N)"},
    {IDS_SC_MAXIMIZE, "最大化(&X)"},
    kSeparator,
    {IDS_SC_CLOSE, "閉じる(&C)\tCtrl+F4"},
    kSeparator,
    {IDS_SC_NEXTWINDOW, "次のｳｨﾝﾄﾞｳ(&T)\tCtrl+F6"},
    {IDS_SC_PREVWINDOW, "前のｳｨﾝﾄﾞｳ(&P)"},
};

}  // namespace

std::span<const MenuItem> DocumentWindowMenu() { return kDocumentWindowItems; }

std::span<const MenuPopup> Menu(unsigned menuId) {
  switch (menuId) {
    case IDR_MAINFRAME:
      return kMainMenu;
    case IDR_TLVNTYPE:
      return kDocMenu;
    case IDR_CONTEXT_MENU:
      return kContextMenu;
    default:
      return {};
  }
}

}  // namespace res
