#include "app/desktop_registration.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <memory>
#include <png.h>
#include <thread>

#include "resources/icon_drawing.h"

namespace app {
namespace {

// Written with libpng itself: Qt's image writer loads every image format plugin (and
// libjpeg) to ask whether one of them would rather write PNG. Empty on failure.
QByteArray PngBytes(const QImage& image) {
  const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
  QByteArray bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, png_size_t size) {
        static_cast<QByteArray*>(png_get_io_ptr(p))
            ->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(rgba.width()),
               static_cast<png_uint_32>(rgba.height()), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < rgba.height(); ++y) png_write_row(png, rgba.constScanLine(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
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
