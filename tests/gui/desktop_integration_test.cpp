// Registration with the desktop: the files written below a data folder, rewritten only
// when they differ, removed exactly by unregistration; the packaged copies agree.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <utility>

#include "app/desktop_registration.h"
#include "platform/desktop_integration.h"
#include "resources/icon_drawing.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What stands at `path`, without opening anything that is not a regular file.
QByteArray Snapshot(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymLink()) return "link to " + QFile::encodeName(info.symLinkTarget()) + ReadAll(path);
  if (!info.isFile()) return info.exists() ? "not a file" : "missing";
  return ReadAll(path);
}

TEST(DesktopIntegrationTest, PathsFollowTheDesktopLayout) {
  const QStringList expected = {
      "/d/applications/tolvane.desktop",
      "/d/mime/packages/tolvane.xml",
      "/d/icons/hicolor/16x16/apps/tolvane.png",
      "/d/icons/hicolor/16x16/mimetypes/application-x-tolvane.png",
      "/d/icons/hicolor/48x48/apps/tolvane.png",
      "/d/icons/hicolor/48x48/mimetypes/application-x-tolvane.png",
  };
  EXPECT_EQ(platform::DesktopFilePaths("/d", {16, 48}), expected);
}

TEST(DesktopIntegrationTest, DataHomeIsTheAbsoluteXdgFolderOrTheDefault) {
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  const QString fallback = QDir::home().filePath(".local/share");
  const struct {
    const char* value;
    QString expected;
  } cases[] = {{"/x/share", "/x/share"}, {"", fallback}, {"relative/share", fallback}};
  for (const auto& c : cases) {
    qputenv("XDG_DATA_HOME", c.value);
    EXPECT_EQ(platform::DesktopDataHome(), c.expected) << c.value;
  }
  qputenv("XDG_DATA_HOME", saved);
}

// Exec= quotes paths with reserved characters and doubles a percent sign.
TEST(DesktopIntegrationTest, ExecLineQuotesThePath) {
  const struct {
    const char* executable;
    const char* execLine;
  } cases[] = {
      {"/usr/bin/tolvane", "Exec=/usr/bin/tolvane %F\n"},
      {"/opt/my apps/tolvane", "Exec=\"/opt/my apps/tolvane\" %F\n"},
      {"/x/100%/tolvane", "Exec=/x/100%%/tolvane %F\n"},
      {"/a\"b/$t", "Exec=\"/a\\\\\"b/\\\\$t\" %F\n"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(platform::DesktopEntryText(c.executable).contains(c.execLine)) << c.executable;
  }
}

TEST(DesktopIntegrationTest, PackagedFilesMatchWhatStartUpWrites) {
  const QString packaging = QStringLiteral(TOLVANE_SOURCE_DIR "/packaging/");
  EXPECT_EQ(ReadAll(packaging + "tolvane.xml"), platform::MimePackageText());
  EXPECT_EQ(ReadAll(packaging + "tolvane.desktop"), platform::DesktopEntryText("tolvane"));
}

TEST(DesktopIntegrationTest, RegisterWritesOnlyWhatDiffers) {
  QTemporaryDir home;
  const platform::DesktopFiles files = app::TolvaneDesktopFiles("/usr/bin/tolvane", home.path());
  ASSERT_TRUE(platform::RegisterDesktopFiles(files));
  const QStringList paths = platform::DesktopFilePaths(home.path(), files.iconSizes);
  ASSERT_EQ(paths.size(), 14);
  EXPECT_EQ(ReadAll(paths[0]), files.desktopEntry);
  EXPECT_EQ(ReadAll(paths[1]), files.mimePackage);
  for (std::size_t i = 0; i < files.iconSizes.size(); ++i) {
    const int size = files.iconSizes[i];
    const std::pair<QString, QImage> icons[] = {{paths[2 + 2 * i], res::DrawAppIcon(size)},
                                                {paths[3 + 2 * i], res::DrawDocIcon(size)}};
    for (const auto& [path, drawn] : icons) {
      const QImage icon(path);
      EXPECT_EQ(icon.size(), QSize(size, size)) << path.toStdString();
      EXPECT_EQ(icon.convertToFormat(QImage::Format_ARGB32),
                drawn.convertToFormat(QImage::Format_ARGB32))
          << path.toStdString();
    }
  }

  // The same build with every file in place need not register again; another build, or
  // a file gone, does.
  EXPECT_TRUE(platform::DesktopFilesAreCurrent(home.path(), files.stamp));
  EXPECT_FALSE(platform::DesktopFilesAreCurrent(home.path(), files.stamp + "0"));

  // An unchanged file is left alone; a missing one is written again.
  const QDateTime old = QDateTime::currentDateTime().addDays(-2);
  for (const QString& path : paths) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
  }
  ASSERT_TRUE(QFile::remove(paths[1]));
  EXPECT_FALSE(platform::DesktopFilesAreCurrent(home.path(), files.stamp));
  ASSERT_TRUE(platform::RegisterDesktopFiles(files));
  EXPECT_EQ(ReadAll(paths[1]), files.mimePackage);
  for (const QString& path : paths) {
    if (path == paths[1]) continue;
    EXPECT_EQ(QFileInfo(path).lastModified(), old) << path.toStdString();
  }
}

TEST(DesktopIntegrationTest, UnregisterRemovesExactlyTheRegisteredFiles) {
  QTemporaryDir home;
  const platform::DesktopFiles files = app::TolvaneDesktopFiles("/t", home.path());
  ASSERT_TRUE(platform::RegisterDesktopFiles(files));
  const QString other = home.filePath("applications/other.desktop");
  QFile(other).open(QIODevice::WriteOnly);

  EXPECT_TRUE(platform::UnregisterDesktopFiles(files));
  for (const QString& path : platform::DesktopFilePaths(home.path(), platform::kDesktopIconSizes)) {
    EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
  }
  EXPECT_TRUE(QFileInfo::exists(other));
  EXPECT_FALSE(QFileInfo::exists(home.filePath("tolvane")));
  // Nothing left to remove counts as removed.
  EXPECT_TRUE(platform::UnregisterDesktopFiles(files));
}

// A folder where a file belongs can be neither written nor removed: both report it.
TEST(DesktopIntegrationTest, FailuresAreReported) {
  QTemporaryDir home;
  const QString entry = home.filePath("applications/tolvane.desktop");
  ASSERT_TRUE(QDir().mkpath(entry + "/inside"));
  const platform::DesktopFiles files = app::TolvaneDesktopFiles("/t", home.path());
  EXPECT_FALSE(platform::RegisterDesktopFiles(files));
  EXPECT_TRUE(QFileInfo::exists(home.filePath("mime/packages/tolvane.xml")));
  EXPECT_FALSE(platform::UnregisterDesktopFiles(files));
  EXPECT_FALSE(QFileInfo::exists(home.filePath("mime/packages/tolvane.xml")));
}

// What stands where a file belongs is replaced and removed only while it is still as
// registration wrote it; a link, a FIFO or a file the user changed stays as it is.
TEST(DesktopIntegrationTest, OnlyFilesStillAsWrittenAreReplacedOrRemoved) {
  enum Setup { Fifo, LinkToOther, UserEdited, WrittenForOldPath };
  const struct {
    Setup setup;
    int index;  // in DesktopFilePaths: 0 the desktop entry, 2 an application icon
    bool ours;
  } cases[] = {
      {Fifo, 0, false},      {LinkToOther, 0, false},      {UserEdited, 0, false},
      {UserEdited, 2, false}, {WrittenForOldPath, 0, true}, {WrittenForOldPath, 2, true},
  };
  const auto write = [](const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) > 0;
  };
  for (const auto& c : cases) {
    const std::string row = std::to_string(c.setup) + "/" + std::to_string(c.index);
    QTemporaryDir home;
    const platform::DesktopFiles files = app::TolvaneDesktopFiles("/usr/bin/tolvane", home.path());
    const QString path = platform::DesktopFilePaths(home.path(), files.iconSizes)[c.index];
    const QByteArray content = c.index == 0 ? files.desktopEntry : files.appIcons[0];
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (c.setup == Fifo) {
      ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << row;
    }
    if (c.setup == LinkToOther) {
      const QString other = home.filePath("applications/other.desktop");
      ASSERT_TRUE(write(other, "[Desktop Entry]\nExec=other\n") && QFile::link(other, path));
    }
    if (c.setup == WrittenForOldPath) {
      platform::DesktopFiles old = app::TolvaneDesktopFiles("/old/tolvane", home.path());
      old.appIcons[0] = "an icon of an earlier version";
      ASSERT_TRUE(platform::RegisterDesktopFiles(old));
    }
    if (c.setup == UserEdited) {
      ASSERT_TRUE(platform::RegisterDesktopFiles(files));
      ASSERT_TRUE(write(path, QByteArray(content).replace("Exec=/usr/bin/", "Exec=/opt/")
                                  .replace("PNG", "my own icon")));
    }
    const QByteArray before = Snapshot(path);

    EXPECT_EQ(platform::RegisterDesktopFiles(files), c.ours) << row;
    EXPECT_EQ(Snapshot(path), c.ours ? content : before) << row;
    EXPECT_EQ(platform::UnregisterDesktopFiles(files), c.ours) << row;
    EXPECT_EQ(Snapshot(path), c.ours ? QByteArray("missing") : before) << row;
  }
}

}  // namespace
