#include "platform/desktop_integration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {
namespace {

bool HasContent(const QString& path, const QByteArray& content) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  return file.size() == content.size() && file.readAll() == content;
}

// Writes `content` to `path` unless it is there already. `written` tells whether it was.
bool WriteIfDifferent(const QString& path, const QByteArray& content, bool& written) {
  written = false;
  if (HasContent(path, content)) return true;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(content);
  if (!file.commit()) return false;
  written = true;
  return true;
}

// Runs a cache tool if the system has it; nobody waits for it.
void StartTool(const QString& name, const QStringList& arguments) {
  const QString program = QStandardPaths::findExecutable(name);
  if (program.isEmpty()) return;
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.startDetached();
}

void RefreshCaches(const QString& dataHome) {
  const QDir home(dataHome);
  StartTool(QStringLiteral("update-desktop-database"),
            {QStringLiteral("-q"), home.filePath(QStringLiteral("applications"))});
  StartTool(QStringLiteral("update-mime-database"), {home.filePath(QStringLiteral("mime"))});
  StartTool(QStringLiteral("gtk-update-icon-cache"),
            {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("-f"),
             home.filePath(QStringLiteral("icons/hicolor"))});
}

}  // namespace

QString DesktopDataHome() {
  const QString fromEnvironment = qEnvironmentVariable("XDG_DATA_HOME");
  // The base directory rules ignore a relative path.
  if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment)) {
    return fromEnvironment;
  }
  return QDir::home().filePath(QStringLiteral(".local/share"));
}

QStringList DesktopFilePaths(const QString& dataHome, const std::vector<int>& iconSizes) {
  const QDir home(dataHome);
  QStringList paths = {
      home.filePath(QStringLiteral("applications/") + kDesktopEntryName),
      home.filePath(QStringLiteral("mime/packages/") + kMimePackageName),
  };
  for (int size : iconSizes) {
    const QString folder = QStringLiteral("icons/hicolor/%1x%1/").arg(size);
    paths << home.filePath(folder + QStringLiteral("apps/") + kAppIconName + ".png");
    paths << home.filePath(folder + QStringLiteral("mimetypes/") + kDocIconName + ".png");
  }
  return paths;
}

QByteArray DesktopEntryText(const QString& executable) {
  // A path with blanks or other reserved characters is quoted as the entry format asks.
  QString exec = executable;
  if (exec.contains(QRegularExpression(QStringLiteral("[\\s\"'\\\\`$<>~|&;*?#()]")))) {
    exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    exec.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    exec.replace(QLatin1Char('`'), QStringLiteral("\\\\`"));
    exec.replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
    exec = QLatin1Char('"') + exec + QLatin1Char('"');
  }
  // A percent sign of the path would read as a field code.
  exec.replace(QLatin1Char('%'), QStringLiteral("%%"));
  const QString text = QStringLiteral(
                           "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=Tolvane\n"
                           "Comment=Keeps a history of the text you copy\n"
                           "Comment[ja]=コピーしたテキストの履歴を残します\n"
                           "Exec=%1 %F\n"
                           "Icon=%2\n"
                           "MimeType=%3;\n"
                           "Categories=Utility;\n"
                           "Terminal=false\n")
                           .arg(exec, QLatin1String(kAppIconName), QLatin1String(kMimeType));
  return text.toUtf8();
}

QByteArray MimePackageText() {
  return QByteArrayLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-tolvane\">\n"
      "    <comment>Tlvn \xE6\x96\x87\xE6\x9B\xB8</comment>\n"
      "    <icon name=\"application-x-tolvane\"/>\n"
      "    <glob pattern=\"*.tvn\" case-sensitive=\"false\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n");
}

bool RegisterDesktopFiles(const DesktopFiles& files) {
  const QStringList paths = DesktopFilePaths(files.dataHome, files.iconSizes);
  std::vector<const QByteArray*> contents = {&files.desktopEntry, &files.mimePackage};
  for (std::size_t i = 0; i < files.iconSizes.size(); ++i) {
    contents.push_back(&files.appIcons.at(i));
    contents.push_back(&files.docIcons.at(i));
  }
  bool ok = true;
  bool anyWritten = false;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    bool written = false;
    ok = WriteIfDifferent(paths[i], *contents[static_cast<std::size_t>(i)], written) && ok;
    anyWritten = anyWritten || written;
  }
  if (anyWritten) RefreshCaches(files.dataHome);
  return ok;
}

bool UnregisterDesktopFiles() {
  return UnregisterDesktopFiles(DesktopDataHome(), kDesktopIconSizes);
}

bool UnregisterDesktopFiles(const QString& dataHome, const std::vector<int>& iconSizes) {
  bool ok = true;
  bool anyRemoved = false;
  for (const QString& path : DesktopFilePaths(dataHome, iconSizes)) {
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) continue;
    if (QFile::remove(path)) {
      anyRemoved = true;
    } else {
      ok = false;
    }
  }
  if (anyRemoved) RefreshCaches(dataHome);
  return ok;
}

}  // namespace platform
