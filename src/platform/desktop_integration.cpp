#include "platform/desktop_integration.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// What stands at a path where registration puts a file.
struct Existing {
  enum Kind { Missing, Regular, Other } kind = Missing;
  QByteArray bytes;  // a regular file's content
};

// None of our files comes near this; a larger file is not one of ours.
constexpr qint64 kLargestOwnFile = 4 << 20;

// Reads without following a link and without waiting on a FIFO or device: anything but
// a regular file of ours counts as Other and is left alone.
Existing ReadExisting(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {errno == ENOENT ? Existing::Missing : Existing::Other, {}};
  Existing found{Existing::Other, {}};
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= kLargestOwnFile) {
    QFile file;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
      // One byte more than the size told shows a file that grew since; reading up to the
      // bound instead would take 4 MB for a record of a few hundred bytes.
      found.bytes = file.read(std::min<qint64>(status.st_size, kLargestOwnFile) + 1);
      if (file.error() == QFileDevice::NoError && found.bytes.size() <= kLargestOwnFile) {
        found.kind = Existing::Regular;
      }
    }
  }
  ::close(fd);
  return found;
}

// Puts `content` in place by renaming a new file over `path`, which replaces a link
// rather than writing through it.
bool ReplaceFile(const QString& path, const QByteArray& content) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
  if (!temp.open()) return false;
  if (temp.write(content) != content.size() || !temp.flush()) return false;
  temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                      QFileDevice::ReadGroup | QFileDevice::ReadOther);
  if (::rename(QFile::encodeName(temp.fileName()).constData(),
               QFile::encodeName(path).constData()) != 0) {
    return false;
  }
  temp.setAutoRemove(false);
  return true;
}

QByteArray Digest(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The record of what registration wrote: one line per file, the digest of its content
// and its path below the data folder. A file is ours while it still has that digest, or
// holds exactly what we would write now; anything else is the user's and stays.
class WrittenRecord {
 public:
  explicit WrittenRecord(const QString& dataHome)
      : m_home(dataHome),
        m_path(m_home.filePath(QStringLiteral("tolvane/desktop-files"))) {
    const Existing record = ReadExisting(m_path);
    for (const QByteArray& line : record.bytes.split('\n')) {
      const qsizetype blank = line.indexOf(' ');
      if (blank <= 0) continue;
      if (line.left(blank) == kStampKey) {
        m_stamp = line.mid(blank + 1);
      } else {
        m_digests.insert(QString::fromUtf8(line.mid(blank + 1)), line.left(blank));
      }
    }
  }

  const QByteArray& Stamp() const { return m_stamp; }
  void SetStamp(const QByteArray& stamp) { m_stamp = stamp; }
  bool Has(const QString& path) const { return m_digests.contains(m_home.relativeFilePath(path)); }

  bool IsOurs(const QString& path, const Existing& found, const QByteArray& wanted) const {
    if (found.kind != Existing::Regular) return false;
    return found.bytes == wanted ||
           m_digests.value(m_home.relativeFilePath(path)) == Digest(found.bytes);
  }

  void Set(const QString& path, const QByteArray& content) {
    m_digests.insert(m_home.relativeFilePath(path), Digest(content));
  }
  void Forget(const QString& path) { m_digests.remove(m_home.relativeFilePath(path)); }

  // Written only over a regular file or none; emptied, it goes.
  bool Save() const {
    const Existing found = ReadExisting(m_path);
    if (found.kind == Existing::Other) return false;
    if (m_digests.isEmpty()) {
      const bool removed = found.kind == Existing::Missing || QFile::remove(m_path);
      m_home.rmdir(QStringLiteral("tolvane"));  // only when nothing else is in it
      return removed;
    }
    QByteArray text;
    if (!m_stamp.isEmpty()) text += QByteArray(kStampKey) + ' ' + m_stamp + '\n';
    for (auto it = m_digests.cbegin(); it != m_digests.cend(); ++it) {
      text += it.value() + ' ' + it.key().toUtf8() + '\n';
    }
    return found.bytes == text || ReplaceFile(m_path, text);
  }

 private:
  // Not a digest: a line with this key holds the stamp of the files' last registration.
  static constexpr char kStampKey[] = "stamp";

  QDir m_home;
  QString m_path;
  QMap<QString, QByteArray> m_digests;
  QByteArray m_stamp;
};

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

namespace {

// Each file's path with the bytes registration puts there.
std::vector<std::pair<QString, const QByteArray*>> FilesAndContents(const DesktopFiles& files) {
  const QStringList paths = DesktopFilePaths(files.dataHome, files.iconSizes);
  std::vector<const QByteArray*> contents = {&files.desktopEntry, &files.mimePackage};
  for (std::size_t i = 0; i < files.iconSizes.size(); ++i) {
    contents.push_back(&files.appIcons.at(i));
    contents.push_back(&files.docIcons.at(i));
  }
  std::vector<std::pair<QString, const QByteArray*>> result;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    result.emplace_back(paths[i], contents[static_cast<std::size_t>(i)]);
  }
  return result;
}

}  // namespace

bool RegisterDesktopFiles(const DesktopFiles& files) {
  WrittenRecord record(files.dataHome);
  bool ok = true;
  bool anyWritten = false;
  for (const auto& [path, content] : FilesAndContents(files)) {
    const Existing found = ReadExisting(path);
    if (found.kind == Existing::Regular && found.bytes == *content) {
      record.Set(path, *content);
      continue;
    }
    if (found.kind != Existing::Missing && !record.IsOurs(path, found, *content)) {
      ok = false;
      continue;
    }
    if (!ReplaceFile(path, *content)) {
      ok = false;
      continue;
    }
    record.Set(path, *content);
    anyWritten = true;
  }
  // Only a registration that put every file in place makes the next start skip it.
  record.SetStamp(ok ? files.stamp : QByteArray());
  record.Save();
  if (anyWritten) RefreshCaches(files.dataHome);
  return ok;
}

bool DesktopFilesAreCurrent(const QString& dataHome, const QByteArray& stamp,
                            const std::vector<int>& iconSizes) {
  const WrittenRecord record(dataHome);
  if (stamp.isEmpty() || record.Stamp() != stamp) return false;
  const QStringList paths = DesktopFilePaths(dataHome, iconSizes);
  return std::all_of(paths.begin(), paths.end(), [&record](const QString& path) {
    struct stat status {};
    return record.Has(path) &&
           ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
  });
}

bool UnregisterDesktopFiles(const DesktopFiles& files) {
  WrittenRecord record(files.dataHome);
  bool ok = true;
  bool anyRemoved = false;
  for (const auto& [path, content] : FilesAndContents(files)) {
    const Existing found = ReadExisting(path);
    if (found.kind == Existing::Missing) {
      record.Forget(path);
      continue;
    }
    if (!record.IsOurs(path, found, *content) || !QFile::remove(path)) {
      ok = false;
      continue;
    }
    record.Forget(path);
    anyRemoved = true;
  }
  record.Save();
  if (anyRemoved) RefreshCaches(files.dataHome);
  return ok;
}

}  // namespace platform
