#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// What the program asks of a file dialog. Filters are "Name (patterns)"; the first is
// selected. Patterns match without regard to case, so "*.tvn" also finds "LIST.TVN".
struct FileDialogRequest {
  bool save = false;  // save: an existing folder, asks before replacing; open: an existing file
  QString title;
  QStringList filters;
  QString defaultSuffix;  // added to a name typed without one
  QString proposedName;
  QWidget* owner = nullptr;
};

// Shows the dialog; the chosen path, or nullopt when the user cancelled.
std::optional<QString> ShowFileDialog(const FileDialogRequest& request);

// Tests answer file dialogs from a script: while a hook is set it is called instead of the
// dialog. Pass nullptr to show real dialogs again.
using FileDialogHook = std::function<std::optional<QString>(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);

}  // namespace platform
