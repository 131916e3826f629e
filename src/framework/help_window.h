#pragma once

#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace fw {

// The program's own help viewer: the help file in a window of its own, the topics' index
// beside the text, back and forward through the topics seen. One window serves the whole
// program; it needs nothing outside the program.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // The window, made on first use.
  static HelpWindow* Instance();
  // The window if it exists; null otherwise.
  static HelpWindow* Existing();
  // Closes and destroys the window (the main window goes away).
  static void Quit();

  // Shows `url` (the help file, with the topic as its fragment), and brings the window up.
  void ShowTopic(const QUrl& url);
  // The topic shown (the fragment of the source); empty for the contents.
  QString CurrentTopic() const;

  QTextBrowser* Browser() const { return m_pBrowser; }
  QTreeWidget* Index() const { return m_pIndex; }
  QPushButton* ContentsButton() const { return m_pContents; }
  QPushButton* BackButton() const { return m_pBack; }
  QPushButton* ForwardButton() const { return m_pForward; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  HelpWindow();
  // The index: the file's section and topic headings, in their order.
  void FillIndex(const QString& html);
  // Selects the index entry of the topic shown.
  void FollowSource(const QUrl& url);
  // A modal dialog blocks every other window: while one is up, the help window is its
  // child so that it can be used; afterwards it stands on its own again.
  void FollowModalDialog();

  QTextBrowser* m_pBrowser;
  QTreeWidget* m_pIndex;
  QPushButton* m_pContents;
  QPushButton* m_pBack;
  QPushButton* m_pForward;
  QUrl m_fileUrl;
};

}  // namespace fw
