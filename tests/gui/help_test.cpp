// Help: a topic for every command and dialog in the help file, a help-mode text for every
// action and button, and F1 / the help commands opening the file at the right topic.
#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "dialogs/startup_file_dialog.h"
#include "framework/command_bars.h"
#include "framework/help.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

// Takes the file URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  UrlCatcher() { QDesktopServices::setUrlHandler("file", this, "open"); }
  ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("file"); }

  // The fragment of each URL, after checking that it names the help file.
  QStringList fragments;

 public slots:
  void open(const QUrl& url) {
    EXPECT_EQ(url.toLocalFile(), fw::FindHelpFile());
    fragments << url.fragment();
  }
};

QString HelpSource() {
  QFile file(QStringLiteral(TOLVANE_SOURCE_DIR "/packaging/tolvane.html"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

TEST(HelpFileTest, EveryCommandAndDialogHasATopic) {
  const QString html = HelpSource();
  for (unsigned id : res::kCommandIds) {
    const QString anchor = fw::HelpAnchor(fw::HID_BASE_COMMAND + id);
    EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(anchor))) << id;
  }
  for (unsigned id : {res::IDD_ABOUTBOX, res::IDD_CLIP_EDIT, res::IDD_STARTUP_FILE, res::IDD_FIND,
                      fw::kFrameHelpId, fw::kDocumentWindowHelpId}) {
    const QString anchor = fw::HelpAnchor(fw::HID_BASE_RESOURCE + id);
    EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(anchor))) << id;
  }
}

// Installed, the help file is in <prefix>/share/tolvane beside <prefix>/bin.
TEST(HelpFileTest, IsFoundBesideTheProgramOrInTheShareFolder) {
  const QStringList places = {"/opt/t/bin/tolvane.html", "/opt/t/share/tolvane/tolvane.html"};
  EXPECT_EQ(fw::HelpFileCandidates("/opt/t/bin"), places);
  EXPECT_FALSE(fw::FindHelpFile().isEmpty());
}

class HelpTest : public testing_support::AppTest {};

TEST_F(HelpTest, EveryActionAndButtonHasAHelpModeText) {
  Start();
  fw::CommandBars* bars = Frame()->GetCommandBars();
  for (unsigned id : res::kCommandIds) EXPECT_FALSE(bars->Action(id)->whatsThis().isEmpty()) << id;
  for (QToolButton* button : Frame()->ToolBar()->findChildren<QToolButton*>()) {
    if (!button->defaultAction()) continue;
    EXPECT_FALSE(button->whatsThis().isEmpty()) << fw::CommandIdOf(button->defaultAction());
  }
}

TEST_F(HelpTest, HelpCommandsOpenTheirTopics) {
  Start();
  UrlCatcher catcher;
  Run(res::ID_HELP_FINDER);
  Run(res::ID_DEFAULT_HELP);
  Run(res::ID_HELP);  // a document window is active
  EXPECT_EQ(catcher.fragments, QStringList({"", "", "hidd-129"}));
}

TEST_F(HelpTest, F1OnAHighlightedMenuItemOpensItsTopic) {
  Start();
  UrlCatcher catcher;
  QMenu* view = nullptr;
  for (QAction* top : Frame()->menuBar()->actions()) {
    if (top->menu() && top->menu()->actions().contains(Frame()->GetCommandBars()->Action(res::ID_VIEW_STARTUP_FILE))) {
      view = top->menu();
    }
  }
  ASSERT_NE(view, nullptr);
  view->popup(QPoint(10, 10));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  view->setActiveAction(Frame()->GetCommandBars()->Action(res::ID_VIEW_STARTUP_FILE));
  QTest::keyClick(view, Qt::Key_F1);
  EXPECT_EQ(catcher.fragments, QStringList({"hid-32779"}));
  EXPECT_FALSE(view->isVisible());
}

TEST_F(HelpTest, F1InADialogOpensTheDialogsTopicAndControlsExplainThemselves) {
  Start();
  UrlCatcher catcher;
  dialogs::CStartupFileDialog dialog(Frame());
  EXPECT_FALSE(dialog.PathBox()->whatsThis().isEmpty());
  for (unsigned id : {res::IDOK, res::IDCANCEL, res::IDC_BROWSE, res::IDC_CLEAR_PATH}) {
    EXPECT_FALSE(dialog.Button(id)->whatsThis().isEmpty()) << id;
  }
  QTimer::singleShot(0, &dialog, [&] {
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.PathBox(), Qt::Key_F1);
    dialog.reject();
  });
  dialog.DoModal();
  EXPECT_EQ(catcher.fragments, QStringList({"hidd-132"}));
}

}  // namespace

#include "help_test.moc"
