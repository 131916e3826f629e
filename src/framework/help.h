#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <string_view>

class QDialog;

namespace fw {

// Help contexts: a command's is HID_BASE_COMMAND + its id, a window's or dialog's
// HID_BASE_RESOURCE + its resource id; 0 stands for the contents.
inline constexpr unsigned HID_BASE_COMMAND = 0x10000;
inline constexpr unsigned HID_BASE_RESOURCE = 0x20000;

inline constexpr const char* kHelpFileName = "tolvane.html";

// Where the help file may be, first match wins: beside the executable, then in the
// installed share folder (<prefix>/share/tolvane beside <prefix>/bin).
QStringList HelpFileCandidates(const QString& executableDir);
// The first candidate that exists for the running program; empty when there is none.
QString FindHelpFile();

// The anchor of a help context in the help file: "hid-<command id>" for a command,
// "hidd-<resource id>" for a window or dialog, empty for the contents.
QString HelpAnchor(unsigned helpContext);
QUrl HelpUrl(const QString& helpFile, unsigned helpContext);

// Shows the help file at the topic of `helpContext` in the program's help window. False
// (after a beep) when there is no help file.
bool WinHelp(unsigned helpContext);

// F1 in `dialog` opens its topic; every child whose object name ends in the id of a
// control of `dialogId` gets `controlText(dialogId, id)` as its help-mode text.
void InstallDialogHelp(QDialog* dialog, unsigned dialogId,
                       std::string_view (*controlText)(unsigned dialogId, unsigned controlId));

}  // namespace fw
