#include "app/desktop_registration.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <memory>
#include <thread>

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

// The program's build as the desktop files know it: its path (the desktop entry starts
// it there), size and time. Another build or place draws the files again.
QByteArray ProgramStamp(const QString& executable) {
  const QFileInfo info(executable);
  return QByteArray::number(info.size()) + ' ' +
         QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + ' ' +
         QFile::encodeName(info.absoluteFilePath()).toPercentEncoding("/");
}

}  // namespace

platform::DesktopFiles TolvaneDesktopFiles(const QString& executable, const QString& dataHome) {
  platform::DesktopFiles files;
  files.dataHome = dataHome;
  files.desktopEntry = platform::DesktopEntryText(executable);
  files.mimePackage = platform::MimePackageText();
  files.stamp = ProgramStamp(executable);
  for (int size : files.iconSizes) {
    files.appIcons.push_back(PngBytes(res::DrawAppIcon(size)));
    files.docIcons.push_back(PngBytes(res::DrawDocIcon(size)));
  }
  return files;
}

void DesktopRegistration::Start() {
  auto done = std::make_shared<std::promise<void>>();
  m_finished = done->get_future().share();
  // A thread of its own rather than the application's pool, which the end of the program
  // waits for without a bound.
  std::thread([done, executable = QCoreApplication::applicationFilePath(),
               dataHome = platform::DesktopDataHome()] {
    // Drawing and compressing the icons costs more than the rest of registration: a start
    // of the same build whose files are all in place skips it.
    if (!platform::DesktopFilesAreCurrent(dataHome, ProgramStamp(executable))) {
      platform::RegisterDesktopFiles(TolvaneDesktopFiles(executable, dataHome));
    }
    done->set_value();
  }).detach();
}

bool DesktopRegistration::WaitForEnd(std::chrono::milliseconds timeout) const {
  return !m_finished.valid() || m_finished.wait_for(timeout) == std::future_status::ready;
}

bool UnregisterFromDesktop() {
  return platform::UnregisterDesktopFiles(TolvaneDesktopFiles(
      QCoreApplication::applicationFilePath(), platform::DesktopDataHome()));
}

}  // namespace app
