#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

// Widgets tests run on the offscreen platform with their own runtime folder, so that no
// test touches a desktop, the user's settings or the user's clipboard.
int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
