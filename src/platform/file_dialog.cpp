#include "platform/file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace platform {
namespace {
FileDialogHook g_hook;
}

void SetFileDialogHook(FileDialogHook hook) { g_hook = std::move(hook); }

std::optional<QString> ShowFileDialog(const FileDialogRequest& request) {
  if (g_hook) return g_hook(request);
  QFileDialog dialog(request.owner, request.title);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setNameFilters(request.filters);
  if (!request.filters.isEmpty()) dialog.selectNameFilter(request.filters.first());
  dialog.setDefaultSuffix(request.defaultSuffix);
  dialog.setDirectory(QDir::current());
  if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first();
}

}  // namespace platform
