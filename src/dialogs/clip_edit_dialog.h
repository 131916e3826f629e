#pragma once

#include <QDialog>
#include <string>

#include "dialogs/edit_box_text.h"

class QPushButton;

namespace dialogs {

class ByteLimitedTextEdit;

// "編集-修正": edits the text of the selected item. It only collects the edited text and
// the choice; the view applies it after the dialog has closed.
class CClipEditDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDUPDATE = 1001;
  static constexpr int IDINSERT = 1002;
  static constexpr int IDCANCELEDIT = 1003;
  static constexpr int IDTRANSFER = 1005;

  // `itemText` is only compared against; the box starts with a copy of it.
  CClipEditDialog(QWidget* parent, const std::string& itemText);
  // The dialog keeps a reference to the item's text: a temporary would not outlive it.
  CClipEditDialog(QWidget* parent, std::string&& itemText) = delete;
  ~CClipEditDialog() override;

  // Runs the dialog; one of the result codes above.
  int DoModal();
  // The edited text, in the system code page, after the run.
  const std::string& EditedText() const { return m_strEdit; }

  ByteLimitedTextEdit* TextBox() const { return m_pTextBox; }
  QPushButton* Button(int id) const;

  void OnUpdate();
  void OnInsert();
  void OnTransfer();
  void OnClear();

 public slots:
  void reject() override;

 private:
  void ReadBox();
  void WriteBox();
  // Reads the box and ends the run with `result`, unless the text is empty or (with a
  // message given) the same as the item's: then the message shows and the run goes on.
  void EndWithEditedText(int result, const char* sameTextMessage);
  void Refuse(const char* text, const char* caption);

  const std::string& m_strItem;
  std::string m_strEdit;
  std::string m_strNewBreak;  // what a line break typed into the box becomes
  EditBoxText m_boxText;      // the text last written into the box
  ByteLimitedTextEdit* m_pTextBox = nullptr;
};

}  // namespace dialogs
