#pragma once

#include <QDialog>

namespace dialogs {

// The version-information dialog: the application icon, one line of text and OK.
class CVersionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CVersionDialog(QWidget* parent = nullptr);
};

}  // namespace dialogs
