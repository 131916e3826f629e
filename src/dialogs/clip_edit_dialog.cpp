#include "dialogs/clip_edit_dialog.h"

#include <QPushButton>
#include <new>

#include "dialogs/byte_limited_text_edit.h"
#include "dialogs/dialog_units.h"
#include "framework/help.h"
#include "framework/win_app.h"
#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "resources/help_texts.h"
#include "resources/messages.h"
#include "view/display_line.h"

namespace dialogs {
namespace {

constexpr std::size_t kExtraBytes = 32767;

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CClipEditDialog::CClipEditDialog(QWidget* parent, const std::string& itemText)
    : QDialog(parent), m_strItem(itemText) {
  try {
    platform::CheckAllocation();
    m_strEdit = itemText;
  } catch (const std::bad_alloc&) {
    m_strEdit.clear();
    fw::AppMessageBox(Utf8(res::kMsgNoMemoryEditText), platform::MbIcon::Stop);
  }
  m_strNewBreak = EditBoxText::BreakFor(std::string(view::TextBeforeZero(itemText)));

  const res::DialogLayout* layout = res::FindDialogLayout(res::IDD_CLIP_EDIT);
  const DialogUnits units(font());
  setWindowTitle(Utf8(layout->caption));
  setFixedSize(units.ToPixels(QSize(layout->width, layout->height)));

  // The text box comes first, so it is first in the tab order and takes the focus.
  for (const res::DialogControl& control : layout->controls) {
    const QRect rect = units.ToPixels(QRect(control.x, control.y, control.width, control.height));
    if (control.kind == res::ControlKind::RichEdit || control.kind == res::ControlKind::Edit) {
      m_pTextBox = new ByteLimitedTextEdit(this);
      m_pTextBox->setObjectName(QStringLiteral("EditText%1").arg(control.id));
      m_pTextBox->setGeometry(rect);
      m_pTextBox->SetLineBreakBytes(m_strNewBreak.size());
      m_pTextBox->SetByteLimit(m_strEdit.size() + kExtraBytes);
      continue;
    }
    auto* button = new QPushButton(Utf8(control.text), this);
    button->setObjectName(QStringLiteral("Button%1").arg(control.id));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    button->setDefault(false);
    switch (control.id) {
      case res::IDC_UPDATE: connect(button, &QPushButton::clicked, this, &CClipEditDialog::OnUpdate); break;
      case res::IDC_INSERT: connect(button, &QPushButton::clicked, this, &CClipEditDialog::OnInsert); break;
      case res::IDC_TRANSFER: connect(button, &QPushButton::clicked, this, &CClipEditDialog::OnTransfer); break;
      case res::IDC_CLEAR: connect(button, &QPushButton::clicked, this, &CClipEditDialog::OnClear); break;
      default: connect(button, &QPushButton::clicked, this, &CClipEditDialog::reject); break;
    }
  }
  WriteBox();
  m_pTextBox->setFocus();
  fw::InstallDialogHelp(this, res::IDD_CLIP_EDIT, &res::ControlHelpText);
}

CClipEditDialog::~CClipEditDialog() = default;

QPushButton* CClipEditDialog::Button(int id) const {
  return findChild<QPushButton*>(QStringLiteral("Button%1").arg(id));
}

int CClipEditDialog::DoModal() { return exec(); }

void CClipEditDialog::reject() { done(IDCANCELEDIT); }

// The raw text, not toPlainText(): that would turn no-break spaces into spaces and the
// Unicode separators into LF.
void CClipEditDialog::ReadBox() {
  m_strEdit = m_boxText.ItemText(m_pTextBox->document()->toRawText().toUtf8().toStdString());
}

// An item loaded from a file may hold a zero byte: the box shows what the list shows, the
// text before it.
void CClipEditDialog::WriteBox() {
  m_boxText = EditBoxText(std::string(view::TextBeforeZero(m_strEdit)), platform::SystemCodePage(),
                          m_strNewBreak);
  m_pTextBox->setPlainText(Utf8(m_boxText.Shown()));
}

void CClipEditDialog::Refuse(const char* text, const char* caption) {
  platform::MessageBoxRequest request;
  request.text = Utf8(text);
  request.caption = Utf8(caption);
  request.icon = platform::MbIcon::Exclamation;
  request.owner = this;
  platform::ShowMessageBox(request);
  m_pTextBox->setFocus();
}

void CClipEditDialog::EndWithEditedText(int result, const char* sameTextMessage) {
  ReadBox();
  if (m_strEdit.empty()) {
    Refuse(res::kMsgEnterText, res::kCaptionNoText);
    return;
  }
  if (sameTextMessage && view::SameText(m_strEdit, m_strItem)) {
    Refuse(sameTextMessage, res::kCaptionSameText);
    return;
  }
  done(result);
}

void CClipEditDialog::OnUpdate() { EndWithEditedText(IDUPDATE, res::kMsgSameTextUpdate); }

void CClipEditDialog::OnInsert() { EndWithEditedText(IDINSERT, res::kMsgSameTextInsert); }

// An unchanged text may be transferred.
void CClipEditDialog::OnTransfer() { EndWithEditedText(IDTRANSFER, nullptr); }

void CClipEditDialog::OnClear() {
  m_strEdit.clear();
  WriteBox();
  m_pTextBox->setFocus();
}

}  // namespace dialogs
