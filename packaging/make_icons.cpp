// Draws the application and document icons into <folder>/hicolor/<size>x<size>/ at
// every size the package installs.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <cstdio>

#include "platform/desktop_integration.h"
#include "resources/icon_drawing.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icons <folder>\n");
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  for (int size : platform::kDesktopIconSizes) {
    const QString folder = QStringLiteral("hicolor/%1x%1/").arg(size);
    const QString app = root.filePath(folder + "apps/" + platform::kAppIconName + ".png");
    const QString doc = root.filePath(folder + "mimetypes/" + platform::kDocIconName + ".png");
    if (!QDir().mkpath(QFileInfo(app).path()) || !QDir().mkpath(QFileInfo(doc).path()) ||
        !res::DrawAppIcon(size).save(app, "PNG") || !res::DrawDocIcon(size).save(doc, "PNG")) {
      std::fprintf(stderr, "make_icons: cannot write the %d px icons\n", size);
      return 1;
    }
  }
  return 0;
}
