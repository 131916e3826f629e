#pragma once

#include <QDialog>
#include <cstddef>
#include <string>

class QPushButton;
class QRadioButton;

namespace dialogs {

class ByteLimitedLineEdit;

// What the find dialog tells its owner: flags and, with find next, the text to find in
// the system code page.
struct FindNotice {
  static constexpr unsigned FR_DOWN = 0x1;
  static constexpr unsigned FR_FINDNEXT = 0x8;
  static constexpr unsigned FR_DIALOGTERM = 0x40;

  unsigned flags = 0;
  std::string text;
};

// "検索": the modeless, find-only dialog. It searches nothing itself: each find-next
// press and its closing go to the owner as a notice. The owner destroys it after the
// closing notice.
class CFindDialog : public QDialog {
  Q_OBJECT

 public:
  // The text box holds what a 128-byte buffer with its terminating zero holds.
  static constexpr std::size_t kMaxTextBytes = 127;

  // `text` (system code page) is offered in the box, cut to kMaxTextBytes on a character
  // boundary; `down` chooses the direction.
  CFindDialog(QWidget* parent, const std::string& text, bool down);
  ~CFindDialog() override;

  // The box's text in the system code page, and the chosen direction.
  std::string FindText() const;
  bool SearchDown() const;

  ByteLimitedLineEdit* TextBox() const { return m_pTextBox; }
  QPushButton* Button(unsigned id) const;
  QRadioButton* DirectionButton(bool down) const { return down ? m_pDown : m_pUp; }

 signals:
  void Notify(const dialogs::FindNotice& notice);

 public slots:
  // Cancel, Escape and the close box: the closing notice; the dialog only hides.
  void reject() override;

 private:
  void OnFindNext();

  ByteLimitedLineEdit* m_pTextBox = nullptr;
  QRadioButton* m_pUp = nullptr;
  QRadioButton* m_pDown = nullptr;
  QPushButton* m_pFindNext = nullptr;
};

}  // namespace dialogs
