#pragma once

#include <QDialog>
#include <QString>

class QFileDialog;
class QLineEdit;
class QPushButton;

namespace dialogs {

// The dialog that names the document file opened at every start, or clears it. The
// caller sets m_strPath, runs it, and on OK (1) takes m_strPath back; Cancel (2) leaves
// everything as it was. The path is not checked.
class CStartupFileDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CStartupFileDialog(QWidget* parent = nullptr);

  // Shows the dialog with m_strPath in its box; IDOK or IDCANCEL.
  int DoModal();

  QString m_strPath;

  QLineEdit* PathBox() const { return m_pPathBox; }
  QPushButton* Button(unsigned id) const;

  // The file dialog of the Browse button, made as Browse shows it.
  static QFileDialog* MakeBrowseDialog(QWidget* owner);

  void accept() override;

 private:
  void OnBrowse();
  void OnClearPath();

  QLineEdit* m_pPathBox = nullptr;
};

}  // namespace dialogs
