#pragma once

// The program's own message texts (UTF-8), shown exactly as they stand.
namespace res {

// Clipboard watcher
inline constexpr const char* kMsgClipboardInUse =
    "他のｱﾌﾟﾘｹｰｼｮﾝがｸﾘｯﾌﾟﾎﾞｰﾄﾞ使用中のため、ﾃﾞｰﾀを取得できませんでした。";
inline constexpr const char* kMsgNoMemoryClipText = "ﾒﾓﾘ不足でｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字列を取得できません。";
inline constexpr const char* kMsgClipboardOpenFailed = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞのｵｰﾌﾟﾝに失敗しました。";
// Shown once at start where the clipboard is seen only while the window has the focus.
inline constexpr const char* kMsgCopiesSeenOnlyWithFocus =
    "このﾃﾞｽｸﾄｯﾌﾟでは、Tolvane のｳｨﾝﾄﾞｳがｱｸﾃｨﾌﾞな間のｺﾋﾟｰだけを取り込みます。";

// Clip list document
inline constexpr const char* kMsgItemLimit = "項目数の制限は 32,767個までです。";
inline constexpr const char* kMsgNoMemoryAddText = "ﾒﾓﾘ不足でｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字列を追加できません。";
inline constexpr const char* kMsgNoMemoryUndo = "ﾒﾓﾘ不足で削除されたﾃｷｽﾄを復元できません。";
inline constexpr const char* kMsgConfirmClearAll = "すべての項目を削除してよろしいですか？";

// Recovery journals: "%1" is the journal's path, or the number of lists.
inline constexpr const char* kMsgJournalStopped =
    "ｼﾞｬｰﾅﾙ ﾌｧｲﾙ %1 に書き込めないため、これ以降ｼﾞｬｰﾅﾙを記録しません。"
    "ﾃﾞｨｽｸの空き容量を確認してください。";
inline constexpr const char* kMsgJournalUnreadable =
    "ｼﾞｬｰﾅﾙ ﾌｧｲﾙ %1 を読み込めないため、ﾘｽﾄを復元できませんでした。"
    "ﾌｧｲﾙは削除せずに残してあります。";
inline constexpr const char* kListsRecoveredFormat =
    "前回正常に終了しなかったため、未保存のﾘｽﾄを %1個復元しました。";

// Clip list view
inline constexpr const char* kMsgNoMemoryDisplay =
    "ﾒﾓﾘ不足で表示用ﾃｷｽﾄを作成できず、全項目を表示できません。";
inline constexpr const char* kMsgListBoxFull = "ﾘｽﾄﾎﾞｯｸｽのｽﾍﾟｰｽが足りず、全項目を表示できません。";

// Edit commands
inline constexpr const char* kMsgNoGlobalMemory =
    "ｸﾞﾛｰﾊﾞﾙﾒﾓﾘ不足のため、ｸﾘｯﾌﾟﾎﾞｰﾄﾞにﾃﾞｰﾀを設定できません。";

// Find: the not-found message is kMsgNotFoundBefore, the find text, kMsgNotFoundAfter.
inline constexpr const char* kMsgNotFoundBefore = "文字列 '";
inline constexpr const char* kMsgNotFoundAfter = "' は見つかりませんでした。";
inline constexpr const char* kCaptionFind = "編集-文字列の検索";

// Edit-modify dialog
inline constexpr const char* kMsgEnterText = "何か文字列を入力して下さい。";
inline constexpr const char* kCaptionNoText = "文字列未入力";
inline constexpr const char* kMsgSameTextUpdate = "同じ文字列では更新できません。";
inline constexpr const char* kMsgSameTextInsert = "同じ文字列は挿入できません。";
inline constexpr const char* kCaptionSameText = "同一文字列";
inline constexpr const char* kMsgNoMemoryEditText = "ﾒﾓﾘ不足で修正用ﾃｷｽﾄを取得できません。";

// Main frame
inline constexpr const char* kItemCountFormat = "項目数 : %5u";
inline constexpr const char* kVersionText = "Tolvane (Text Only) Version 2.76";
inline constexpr const char* kVersionCaption = "ﾊﾞｰｼﾞｮﾝ情報(Tolvane)";

// Text files: the filter of the read and save dialogs.
inline constexpr const char* kTextFileFilter = "ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)";

// Document template string: window title, document name, new-file type name, filter name,
// filter extension, file type identifier, file type name.
inline constexpr const char* kDocTemplateString =
    "\nTlvn\nTlvn\nTolvane Files (*.tvn)\n.TVN\nTolvane.Document\nTlvn 文書";

}  // namespace res
