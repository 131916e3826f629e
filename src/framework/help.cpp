#include "framework/help.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QKeyEvent>

#include "framework/help_window.h"

namespace fw {
namespace {

// F1 pressed anywhere in a dialog reaches the dialog itself (no control takes it).
class DialogHelpKey : public QObject {
 public:
  DialogHelpKey(unsigned dialogId, QObject* parent) : QObject(parent), m_nDialogId(dialogId) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
      WinHelp(HID_BASE_RESOURCE + m_nDialogId);
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  unsigned m_nDialogId;
};

}  // namespace

QStringList HelpFileCandidates(const QString& executableDir) {
  const QDir dir(executableDir);
  return {dir.filePath(QLatin1String(kHelpFileName)),
          QDir::cleanPath(dir.filePath(QStringLiteral("../share/tolvane/")) + QLatin1Char('/') +
                          QLatin1String(kHelpFileName))};
}

QString FindHelpFile() {
  for (const QString& path : HelpFileCandidates(QCoreApplication::applicationDirPath())) {
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

QString HelpAnchor(unsigned helpContext) {
  if (helpContext >= HID_BASE_RESOURCE) {
    return QStringLiteral("hidd-%1").arg(helpContext - HID_BASE_RESOURCE);
  }
  if (helpContext >= HID_BASE_COMMAND) {
    return QStringLiteral("hid-%1").arg(helpContext - HID_BASE_COMMAND);
  }
  return {};
}

QUrl HelpUrl(const QString& helpFile, unsigned helpContext) {
  QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
  const QString anchor = HelpAnchor(helpContext);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  return url;
}

bool WinHelp(unsigned helpContext) {
  const QString file = FindHelpFile();
  if (file.isEmpty()) {
    QApplication::beep();
    return false;
  }
  HelpWindow::Instance()->ShowTopic(HelpUrl(file, helpContext));
  return true;
}

void InstallDialogHelp(QDialog* dialog, unsigned dialogId,
                       std::string_view (*controlText)(unsigned, unsigned)) {
  dialog->installEventFilter(new DialogHelpKey(dialogId, dialog));
  static const QRegularExpression trailingId(QStringLiteral("(\\d+)$"));
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    const QRegularExpressionMatch match = trailingId.match(child->objectName());
    if (!match.hasMatch()) continue;
    const std::string_view text = controlText(dialogId, match.captured(1).toUInt());
    if (!text.empty()) {
      child->setWhatsThis(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
  }
}

}  // namespace fw
