#include "dialogs/startup_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/dialog_units.h"
#include "framework/help.h"
#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "resources/help_texts.h"

namespace dialogs {
namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ButtonName(unsigned id) { return QStringLiteral("Button%1").arg(id); }

}  // namespace

CStartupFileDialog::CStartupFileDialog(QWidget* parent) : QDialog(parent) {
  const res::DialogLayout* layout = res::FindDialogLayout(res::IDD_STARTUP_FILE);
  const DialogUnits units(font());
  setWindowTitle(Utf8(layout->caption));
  setFixedSize(units.ToPixels(QSize(layout->width, layout->height)));

  // Created in the layout's tab order: the path box first, so it has the focus.
  for (const res::DialogControl& control : layout->controls) {
    const QRect rect = units.ToPixels(QRect(control.x, control.y, control.width, control.height));
    if (control.kind == res::ControlKind::Edit) {
      m_pPathBox = new QLineEdit(this);
      m_pPathBox->setObjectName(QStringLiteral("Edit%1").arg(control.id));
      m_pPathBox->setGeometry(rect);
      continue;
    }
    auto* button = new QPushButton(Utf8(control.text), this);
    button->setObjectName(ButtonName(control.id));
    button->setGeometry(rect);
    button->setDefault(control.kind == res::ControlKind::DefaultPushButton);
    button->setAutoDefault(false);
    switch (control.id) {
      case res::IDOK:
        connect(button, &QPushButton::clicked, this, &CStartupFileDialog::accept);
        break;
      case res::IDC_BROWSE:
        connect(button, &QPushButton::clicked, this, &CStartupFileDialog::OnBrowse);
        break;
      case res::IDC_CLEAR_PATH:
        connect(button, &QPushButton::clicked, this, &CStartupFileDialog::OnClearPath);
        break;
      default:
        connect(button, &QPushButton::clicked, this, &CStartupFileDialog::reject);
        break;
    }
  }
  fw::InstallDialogHelp(this, res::IDD_STARTUP_FILE, &res::ControlHelpText);
}

QPushButton* CStartupFileDialog::Button(unsigned id) const {
  return findChild<QPushButton*>(ButtonName(id));
}

int CStartupFileDialog::DoModal() {
  m_pPathBox->setText(m_strPath);
  m_pPathBox->setFocus();
  return exec() == QDialog::Accepted ? static_cast<int>(res::IDOK)
                                     : static_cast<int>(res::IDCANCEL);
}

// OK and Enter: the box's text, whatever it names.
void CStartupFileDialog::accept() {
  m_strPath = m_pPathBox->text();
  QDialog::accept();
}

QFileDialog* CStartupFileDialog::MakeBrowseDialog(QWidget* owner) {
  auto* fileDialog = new QFileDialog(owner, QStringLiteral("起動時開くﾌｧｲﾙの設定-参照"));
  fileDialog->setAcceptMode(QFileDialog::AcceptOpen);
  fileDialog->setFileMode(QFileDialog::ExistingFile);
  // "All files" takes names without a dot too, as "*.*" does where it comes from.
  fileDialog->setNameFilters(
      {QStringLiteral("Tolvane Files (*.tvn)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")});
  fileDialog->setDefaultSuffix(QStringLiteral("tvn"));
  fileDialog->selectFile(QString());
  return fileDialog;
}

// The box's text plays no part: the file dialog starts with an empty name, and a
// confirmed choice replaces the text.
void CStartupFileDialog::OnBrowse() {
  QFileDialog* fileDialog = MakeBrowseDialog(this);
  if (fileDialog->exec() == QDialog::Accepted && !fileDialog->selectedFiles().isEmpty()) {
    m_strPath = QFileInfo(fileDialog->selectedFiles().constFirst()).absoluteFilePath();
    m_pPathBox->setText(m_strPath);
  }
  delete fileDialog;
  m_pPathBox->setFocus();
}

void CStartupFileDialog::OnClearPath() {
  m_strPath.clear();
  m_pPathBox->setText(m_strPath);
  m_pPathBox->setFocus();
}

}  // namespace dialogs
