#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

#include "e2e/e2e_support.h"

// The end-to-end tests run against one private X server for the whole run: the real
// clipboard between real programs, without touching the user's desktop or settings.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::setlocale(LC_ALL, "C.UTF-8");

  const QStringList missing = e2e::MissingTools();
  if (!missing.isEmpty()) {
    std::fprintf(stderr, "e2e_tests: missing %s (scripts/install-deps.sh installs them)\n",
                 qPrintable(missing.join(QStringLiteral(", "))));
    return 2;
  }

  QTemporaryDir runtimeDir;
  QFile::setPermissions(runtimeDir.path(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8());

  // Declared before the application so that the application's connection to the server
  // closes first: Qt ends the process when its X server goes away under it.
  e2e::XvfbServer xvfb;
  QString error;
  if (!xvfb.Start(&error)) {
    std::fprintf(stderr, "e2e_tests: cannot start Xvfb: %s\n", qPrintable(error));
    return 2;
  }
  qputenv("DISPLAY", xvfb.DisplayName().toUtf8());
  qunsetenv("WAYLAND_DISPLAY");
  qputenv("QT_QPA_PLATFORM", "xcb");

  auto app = std::make_unique<QApplication>(argc, argv);
  const int result = RUN_ALL_TESTS();
  e2e::ClipboardOwner::KillAll();
  app.reset();
  xvfb.Stop();
  return result;
}
