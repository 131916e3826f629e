// Registration with the desktop: the files written below a data folder, rewritten only
// when they differ, removed exactly by unregistration; the packaged copies agree.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "app/desktop_registration.h"
#include "platform/desktop_integration.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    for (const QString& path : {paths[2 + 2 * i], paths[3 + 2 * i]}) {
      const QImage icon(path);
      EXPECT_EQ(icon.size(), QSize(size, size)) << path.toStdString();
      EXPECT_GT(qAlpha(icon.pixel(size / 2, size / 2)), 0) << path.toStdString();
    }
  }

  // An unchanged file is left alone; a changed one is put right.
  const QDateTime old = QDateTime::currentDateTime().addDays(-2);
  for (const QString& path : paths) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
  }
  QFile(paths[1]).open(QIODevice::WriteOnly | QIODevice::Truncate);
  ASSERT_TRUE(platform::RegisterDesktopFiles(files));
  EXPECT_EQ(ReadAll(paths[1]), files.mimePackage);
  for (const QString& path : paths) {
    if (path == paths[1]) continue;
    EXPECT_EQ(QFileInfo(path).lastModified(), old) << path.toStdString();
  }
}

TEST(DesktopIntegrationTest, UnregisterRemovesExactlyTheRegisteredFiles) {
  QTemporaryDir home;
  ASSERT_TRUE(platform::RegisterDesktopFiles(app::TolvaneDesktopFiles("/t", home.path())));
  const QString other = home.filePath("applications/other.desktop");
  QFile(other).open(QIODevice::WriteOnly);

  EXPECT_TRUE(platform::UnregisterDesktopFiles(home.path()));
  for (const QString& path : platform::DesktopFilePaths(home.path(), platform::kDesktopIconSizes)) {
    EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
  }
  EXPECT_TRUE(QFileInfo::exists(other));
  // Nothing left to remove counts as removed.
  EXPECT_TRUE(platform::UnregisterDesktopFiles(home.path()));
}

// A folder where a file belongs can be neither written nor removed: both report it.
TEST(DesktopIntegrationTest, FailuresAreReported) {
  QTemporaryDir home;
  const QString entry = home.filePath("applications/tolvane.desktop");
  ASSERT_TRUE(QDir().mkpath(entry + "/inside"));
  EXPECT_FALSE(platform::RegisterDesktopFiles(app::TolvaneDesktopFiles("/t", home.path())));
  EXPECT_TRUE(QFileInfo::exists(home.filePath("mime/packages/tolvane.xml")));
  EXPECT_FALSE(platform::UnregisterDesktopFiles(home.path()));
  EXPECT_FALSE(QFileInfo::exists(home.filePath("mime/packages/tolvane.xml")));
}

}  // namespace
