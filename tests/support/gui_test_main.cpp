#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

#include "app/tolvane_app.h"
#include "platform/qt_translations.h"

// Widgets tests run on the offscreen platform with their own runtime folder, so that no
// test touches a desktop, the user's settings, journals or clipboard.
int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  qputenv("XDG_STATE_HOME", runtime.filePath(QStringLiteral("state")).toUtf8());
  // Without frame margins the offscreen platform keeps windows where they are put, also
  // partly off the screen, as a desktop does; with them it pushes every frame onto it.
  const QString config = runtime.filePath(QStringLiteral("offscreen.json"));
  QFile file(config);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(R"({"windowFrameMargins": false,
                   "screens": [{"name": "test", "x": 0, "y": 0, "width": 800, "height": 600,
                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  } else {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  platform::JapaneseQtLocale japanese;
  QApplication app(argc, argv);
  japanese.Restore();
  // Qt's own texts in Japanese, as the program shows them.
  platform::InstallQtTranslations();
  app::CTolvaneApp::InstallStyle();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
