#include "resources/help_texts.h"

#include "resources/command_ids.h"
#include "resources/string_table.h"

namespace res {
namespace {

struct CommandText {
  unsigned id;
  std::string_view text;
};

constexpr CommandText kKeyOnlyCommands[] = {
    {ID_HELP, "ﾍﾙﾌﾟを表示します。[F1]"},
    {ID_DEFAULT_HELP, "ﾍﾙﾌﾟの目次を表示します。"},
    {ID_NEXT_PANE, "次のﾍﾟｲﾝに切り替えます。[F6]"},
    {ID_PREV_PANE, "前のﾍﾟｲﾝに切り替えます。[Shift+F6]"},
};

struct ControlText {
  unsigned dialogId;
  unsigned controlId;
  std::string_view text;
};

constexpr ControlText kControlTexts[] = {
    {IDD_ABOUTBOX, IDOK, "ﾀﾞｲｱﾛｸﾞを閉じます。"},
    {IDD_CLIP_EDIT, IDC_EDIT_TEXT, "選択された項目のﾃｷｽﾄです。ここで修正します。"},
    {IDD_CLIP_EDIT, IDC_UPDATE, "選択された項目を、修正したﾃｷｽﾄに置き換えます。"},
    {IDD_CLIP_EDIT, IDC_INSERT, "修正したﾃｷｽﾄを選択された項目の上に挿入します。"},
    {IDD_CLIP_EDIT, IDC_TRANSFER, "修正したﾃｷｽﾄをｸﾘｯﾌﾟﾎﾞｰﾄﾞに転送します。"},
    {IDD_CLIP_EDIT, IDC_EDIT_CANCEL, "何も変更せずにﾀﾞｲｱﾛｸﾞを閉じます。"},
    {IDD_CLIP_EDIT, IDC_CLEAR, "ﾃｷｽﾄをすべて消去します。"},
    {IDD_STARTUP_FILE, IDC_STARTUP_PATH, "起動時に自動的に開くﾌｧｲﾙのﾊﾟｽです。空なら何も開きません。"},
    {IDD_STARTUP_FILE, IDOK, "入力したﾊﾟｽを起動時に開くﾌｧｲﾙとして設定します。"},
    {IDD_STARTUP_FILE, IDCANCEL, "設定を変更せずにﾀﾞｲｱﾛｸﾞを閉じます。"},
    {IDD_STARTUP_FILE, IDC_BROWSE, "ﾌｧｲﾙを選んでﾊﾟｽを入力します。"},
    {IDD_STARTUP_FILE, IDC_CLEAR_PATH, "ﾊﾟｽを消去します。起動時に何も開かなくなります。"},
    {IDD_FIND, IDC_FIND_TEXT, "検索する文字列を入力します。"},
    {IDD_FIND, IDC_FIND_UP, "選択された項目から上へ検索します。"},
    {IDD_FIND, IDC_FIND_DOWN, "選択された項目から下へ検索します。"},
    {IDD_FIND, IDOK, "文字列を含む次の項目を選択します。"},
    {IDD_FIND, IDCANCEL, "検索を終えてﾀﾞｲｱﾛｸﾞを閉じます。"},
};

}  // namespace

std::string_view WhatsThisText(unsigned commandId) {
  const std::string_view prompt = Prompt(commandId);
  if (!prompt.empty()) return prompt;
  for (const CommandText& entry : kKeyOnlyCommands) {
    if (entry.id == commandId) return entry.text;
  }
  return {};
}

std::string_view ControlHelpText(unsigned dialogId, unsigned controlId) {
  for (const ControlText& entry : kControlTexts) {
    if (entry.dialogId == dialogId && entry.controlId == controlId) return entry.text;
  }
  return {};
}

}  // namespace res
