#include "resources/dialog_layouts.h"

#include "resources/command_ids.h"
#include "resources/messages.h"

namespace res {
namespace {

constexpr std::string_view kGothicFont = "ＭＳ Ｐゴシック";

constexpr DialogControl kAboutControls[] = {
    {IDC_STATIC, ControlKind::Icon, "", 11, 17, 0, 0},
    {IDC_STATIC, ControlKind::Static, kVersionText, 40, 10, 119, 8},
    {IDOK, ControlKind::DefaultPushButton, "OK", 178, 7, 32, 14},
};

// The text box comes first so that it has the focus when the dialog opens. Its corners
// are (6, 7) and (140, 100); none of the buttons is the default one.
constexpr DialogControl kClipEditControls[] = {
    {IDC_EDIT_TEXT, ControlKind::RichEdit, "", 6, 7, 134, 93},
    {IDC_UPDATE, ControlKind::PushButton, "更新(&U)", 145, 5, 35, 14},
    {IDC_INSERT, ControlKind::PushButton, "挿入(&I)", 145, 25, 35, 14},
    {IDC_TRANSFER, ControlKind::PushButton, "転送(&T)", 145, 45, 35, 14},
    {IDC_EDIT_CANCEL, ControlKind::PushButton, "ｷｬﾝｾﾙ", 145, 65, 35, 14},
    {IDC_CLEAR, ControlKind::PushButton, "消去(&C)", 145, 85, 35, 14},
};

constexpr DialogControl kStartupFileControls[] = {
    {IDC_STARTUP_PATH, ControlKind::Edit, "", 10, 15, 170, 12},
    {IDOK, ControlKind::DefaultPushButton, "OK", 130, 40, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "ｷｬﾝｾﾙ", 130, 57, 50, 14},
    {IDC_BROWSE, ControlKind::PushButton, "参照(&B)...", 10, 40, 50, 15},
    {IDC_CLEAR_PATH, ControlKind::PushButton, "消去(&C)", 10, 60, 50, 14},
};

// Find only: no replace part, no match-case or whole-word boxes. The label comes before the
// text box so that its mnemonic reaches the box; the box has the focus when it opens.
constexpr DialogControl kFindControls[] = {
    {IDC_STATIC, ControlKind::Static, "検索する文字列(&N):", 4, 9, 64, 8},
    {IDC_FIND_TEXT, ControlKind::Edit, "", 70, 7, 106, 12},
    {IDC_FIND_DIRECTION, ControlKind::GroupBox, "方向", 88, 24, 88, 30},
    {IDC_FIND_UP, ControlKind::RadioButton, "上へ(&U)", 92, 38, 40, 12},
    {IDC_FIND_DOWN, ControlKind::RadioButton, "下へ(&D)", 134, 38, 40, 12},
    {IDOK, ControlKind::DefaultPushButton, "次を検索(&F)", 182, 5, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "ｷｬﾝｾﾙ", 182, 23, 50, 14},
};

// The version dialog has no position of its own.
constexpr DialogLayout kLayouts[] = {
    {IDD_ABOUTBOX, kVersionCaption, 0, 0, 217, 55, kGothicFont, 9, kAboutControls},
    {IDD_CLIP_EDIT, "編集-修正", 10, 10, 187, 108, "System", 13, kClipEditControls},
    {IDD_STARTUP_FILE, "起動時開くﾌｧｲﾙの設定", 10, 10, 187, 82, kGothicFont, 9,
     kStartupFileControls},
    {IDD_FIND, "検索", 30, 73, 236, 62, kGothicFont, 9, kFindControls},
};

}  // namespace

const DialogLayout* FindDialogLayout(unsigned id) {
  for (const DialogLayout& layout : kLayouts) {
    if (layout.id == id) return &layout;
  }
  return nullptr;
}

}  // namespace res
