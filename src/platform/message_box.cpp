#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

QMessageBox::Icon ToQtIcon(MbIcon icon) {
  switch (icon) {
    case MbIcon::Stop: return QMessageBox::Critical;
    case MbIcon::Exclamation: return QMessageBox::Warning;
    case MbIcon::Information: return QMessageBox::Information;
    case MbIcon::Question: return QMessageBox::Question;
    case MbIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MbButtons buttons) {
  switch (buttons) {
    case MbButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MbButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MbButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MbButtons::Ok: break;
  }
  return QMessageBox::Ok;
}

int FromQtButton(int button) {
  switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

int ShowMessageBox(const MessageBoxRequest& request) {
  if (request.beep) QApplication::beep();
  if (Handler()) return Handler()(request);

  QMessageBox box(ToQtIcon(request.icon), request.caption, request.text,
                  ToQtButtons(request.buttons), request.owner);
  box.setWindowModality(Qt::ApplicationModal);
  if (request.systemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  return FromQtButton(box.exec());
}

}  // namespace platform
