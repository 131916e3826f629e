#include "dialogs/find_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "dialogs/byte_limited_line_edit.h"
#include "dialogs/dialog_units.h"
#include "framework/help.h"
#include "platform/code_page.h"
#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "resources/help_texts.h"

namespace dialogs {
namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CFindDialog::CFindDialog(QWidget* parent, const std::string& text, bool down) : QDialog(parent) {
  setModal(false);
  const res::DialogLayout* layout = res::FindDialogLayout(res::IDD_FIND);
  const DialogUnits units(font());
  setWindowTitle(Utf8(layout->caption));
  setFixedSize(units.ToPixels(QSize(layout->width, layout->height)));

  QLabel* label = nullptr;
  for (const res::DialogControl& control : layout->controls) {
    const QRect rect = units.ToPixels(QRect(control.x, control.y, control.width, control.height));
    QWidget* widget = nullptr;
    switch (control.kind) {
      case res::ControlKind::Static:
        widget = label = new QLabel(Utf8(control.text), this);
        break;
      case res::ControlKind::Edit:
        widget = m_pTextBox = new ByteLimitedLineEdit(kMaxTextBytes, this);
        break;
      case res::ControlKind::GroupBox:
        widget = new QGroupBox(Utf8(control.text), this);
        widget->lower();  // behind the radio buttons it frames
        break;
      case res::ControlKind::RadioButton: {
        auto* radio = new QRadioButton(Utf8(control.text), this);
        (control.id == res::IDC_FIND_DOWN ? m_pDown : m_pUp) = radio;
        widget = radio;
        break;
      }
      default: {
        auto* button = new QPushButton(Utf8(control.text), this);
        const bool isDefault = control.kind == res::ControlKind::DefaultPushButton;
        button->setDefault(isDefault);
        button->setAutoDefault(isDefault);
        if (control.id == res::IDOK) {
          m_pFindNext = button;
          connect(button, &QPushButton::clicked, this, &CFindDialog::OnFindNext);
        } else {
          connect(button, &QPushButton::clicked, this, &CFindDialog::reject);
        }
        widget = button;
        break;
      }
    }
    widget->setObjectName(QStringLiteral("Control%1").arg(control.id));
    widget->setGeometry(rect);
  }
  // The label's mnemonic moves the focus into the box.
  label->setBuddy(m_pTextBox);

  const platform::CodePage cp = platform::SystemCodePage();
  const std::string offered = text.substr(0, platform::CharBoundaryAtOrBefore(text, kMaxTextBytes, cp));
  m_pTextBox->setText(Utf8(platform::ToUtf8(offered, cp)));
  m_pTextBox->selectAll();
  (down ? m_pDown : m_pUp)->setChecked(true);

  // Find next needs a text.
  m_pFindNext->setEnabled(!m_pTextBox->text().isEmpty());
  connect(m_pTextBox, &QLineEdit::textChanged, this,
          [this](const QString& now) { m_pFindNext->setEnabled(!now.isEmpty()); });
  m_pTextBox->setFocus();
  fw::InstallDialogHelp(this, res::IDD_FIND, &res::ControlHelpText);
}

CFindDialog::~CFindDialog() = default;

QPushButton* CFindDialog::Button(unsigned id) const {
  return findChild<QPushButton*>(QStringLiteral("Control%1").arg(id));
}

std::string CFindDialog::FindText() const {
  return platform::FromUtf8(m_pTextBox->text().toStdString(), platform::SystemCodePage());
}

bool CFindDialog::SearchDown() const { return m_pDown->isChecked(); }

void CFindDialog::OnFindNext() {
  if (m_pTextBox->text().isEmpty()) return;
  FindNotice notice;
  notice.flags = FindNotice::FR_FINDNEXT | (SearchDown() ? FindNotice::FR_DOWN : 0);
  notice.text = FindText();
  emit Notify(notice);
}

void CFindDialog::reject() {
  hide();
  FindNotice notice;
  notice.flags = FindNotice::FR_DIALOGTERM | (SearchDown() ? FindNotice::FR_DOWN : 0);
  notice.text = FindText();
  emit Notify(notice);
}

}  // namespace dialogs
