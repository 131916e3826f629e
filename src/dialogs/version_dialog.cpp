#include "dialogs/version_dialog.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "dialogs/dialog_units.h"
#include "framework/help.h"
#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "resources/help_texts.h"
#include "resources/icons.h"

namespace dialogs {

CVersionDialog::CVersionDialog(QWidget* parent) : QDialog(parent) {
  const res::DialogLayout* layout = res::FindDialogLayout(res::IDD_ABOUTBOX);
  const DialogUnits units(font());
  setWindowTitle(QString::fromUtf8(layout->caption.data(), layout->caption.size()));
  setFixedSize(units.ToPixels(QSize(layout->width, layout->height)));

  for (const res::DialogControl& control : layout->controls) {
    const QString text = QString::fromUtf8(control.text.data(), control.text.size());
    const QRect rect = units.ToPixels(QRect(control.x, control.y, control.width, control.height));
    switch (control.kind) {
      case res::ControlKind::Icon: {
        auto* icon = new QLabel(this);
        icon->setPixmap(QPixmap(res::AppIconXpm32()));
        icon->setGeometry(QRect(rect.topLeft(), QSize(32, 32)));
        break;
      }
      case res::ControlKind::DefaultPushButton:
      case res::ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QStringLiteral("Button%1").arg(control.id));
        button->setGeometry(rect);
        button->setDefault(control.kind == res::ControlKind::DefaultPushButton);
        connect(button, &QPushButton::clicked, this, &QDialog::accept);
        break;
      }
      default: {
        auto* label = new QLabel(text, this);
        label->setGeometry(rect);
        break;
      }
    }
  }
  fw::InstallDialogHelp(this, res::IDD_ABOUTBOX, &res::ControlHelpText);
}

}  // namespace dialogs
