#include "app/desktop_registration.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

#include "resources/icon_drawing.h"

namespace app {
namespace {

QByteArray PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

}  // namespace

platform::DesktopFiles TolvaneDesktopFiles(const QString& executable, const QString& dataHome) {
  platform::DesktopFiles files;
  files.dataHome = dataHome;
  files.desktopEntry = platform::DesktopEntryText(executable);
  files.mimePackage = platform::MimePackageText();
  for (int size : files.iconSizes) {
    files.appIcons.push_back(PngBytes(res::DrawAppIcon(size)));
    files.docIcons.push_back(PngBytes(res::DrawDocIcon(size)));
  }
  return files;
}

bool RegisterWithDesktop() {
  return platform::RegisterDesktopFiles(TolvaneDesktopFiles(
      QCoreApplication::applicationFilePath(), platform::DesktopDataHome()));
}

}  // namespace app
