// Help: a topic for every command and dialog in the help file, a help-mode text for every
// action and button, and F1 / the help commands opening the file at the right topic.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWindow>
#include <functional>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "dialogs/startup_file_dialog.h"
#include "framework/command_bars.h"
#include "framework/doc_manager.h"
#include "framework/help.h"
#include "framework/help_window.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

// The topic the help window shows; "<none>" while there is no window.
QString ShownTopic() {
  fw::HelpWindow* help = fw::HelpWindow::Existing();
  if (!help || !help->isVisible()) return QStringLiteral("<none>");
  EXPECT_EQ(help->Browser()->source().toLocalFile(), fw::FindHelpFile());
  return help->CurrentTopic();
}

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
  QStringList topics;
  for (unsigned id : {res::ID_HELP_FINDER, res::ID_DEFAULT_HELP, res::ID_HELP}) {
    Run(id);  // F1 with a document window active: the document window's topic
    topics << ShownTopic();
  }
  EXPECT_EQ(topics, QStringList({"", "", "hidd-129"}));
}

TEST_F(HelpTest, F1OnAHighlightedMenuItemOpensItsTopic) {
  Start();
  fw::CommandBars* bars = Frame()->GetCommandBars();
  m_pApp->DocManager().AddToRecentFileList(QStringLiteral("/tmp/older.tvn"));
  m_pApp->DocManager().AddToRecentFileList(QStringLiteral("/tmp/newer.tvn"));
  QMenu* file = bars->Popups().front();
  // The recent files stand just above their hidden placeholder once the menu has opened.
  const auto secondRecentFile = [&] {
    return file->actions()[file->actions().indexOf(bars->Action(res::ID_FILE_MRU_FILE1)) - 1];
  };
  const struct {
    QMenu* menu;
    std::function<QAction*()> item;
    const char* topic;
  } cases[] = {
      {bars->Popups()[2], [&] { return bars->Action(res::ID_VIEW_STARTUP_FILE); }, "hid-32779"},
      {file, secondRecentFile, "hid-57617"},
  };
  for (const auto& c : cases) {
    c.menu->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(c.menu));
    c.menu->setActiveAction(c.item());
    QTest::keyClick(c.menu, Qt::Key_F1);
    EXPECT_EQ(ShownTopic(), c.topic);
    EXPECT_FALSE(c.menu->isVisible());
  }
}

TEST_F(HelpTest, F1InADialogOpensTheDialogsTopicAndControlsExplainThemselves) {
  Start();
  QString topic;
  dialogs::CStartupFileDialog dialog(Frame());
  EXPECT_FALSE(dialog.PathBox()->whatsThis().isEmpty());
  for (unsigned id : {res::IDOK, res::IDCANCEL, res::IDC_BROWSE, res::IDC_CLEAR_PATH}) {
    EXPECT_FALSE(dialog.Button(id)->whatsThis().isEmpty()) << id;
  }
  QTimer::singleShot(0, &dialog, [&] {
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.PathBox(), Qt::Key_F1);
    topic = ShownTopic();
    // Usable beside the modal dialog (which blocks all but its own windows), and still
    // open once the dialog has gone.
    const QWindow* help = fw::HelpWindow::Existing()->windowHandle();
    EXPECT_TRUE(help && help->transientParent() == dialog.windowHandle());
    dialog.reject();
  });
  dialog.DoModal();
  EXPECT_EQ(topic, "hidd-132");
  EXPECT_EQ(ShownTopic(), "hidd-132");
}

// The help window: Japanese, the topics' index, back and forward.
TEST_F(HelpTest, HelpWindowHasTheIndexAndGoesBackAndForward) {
  Start();
  Run(res::ID_HELP);
  fw::HelpWindow* help = fw::HelpWindow::Existing();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Tolvane ﾍﾙﾌﾟ - 文書ｳｨﾝﾄﾞｳ"));
  EXPECT_EQ(help->ContentsButton()->text(), QStringLiteral("目次(&C)"));
  EXPECT_EQ(help->BackButton()->text(), QStringLiteral("戻る(&B)"));
  EXPECT_EQ(help->ForwardButton()->text(), QStringLiteral("進む(&F)"));
  EXPECT_FALSE(help->BackButton()->isEnabled());
  // The index follows the topic shown, and choosing an entry shows its topic.
  QTreeWidget* index = help->Index();
  ASSERT_NE(index->currentItem(), nullptr);
  EXPECT_EQ(index->currentItem()->text(0), QStringLiteral("文書ｳｨﾝﾄﾞｳ"));
  const QList<QTreeWidgetItem*> found =
      index->findItems(QStringLiteral("文字列の検索 (Ctrl+F)"), Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1);
  emit index->itemActivated(found.first(), 0);
  EXPECT_EQ(ShownTopic(), "hid-57636");
  // The topic's heading is what the text shows at its top.
  const QTextCursor top = help->Browser()->cursorForPosition(QPoint(4, 4));
  EXPECT_TRUE(top.block().text().startsWith(QStringLiteral("文字列の検索"))) << top.block().text().toStdString();

  help->BackButton()->click();
  EXPECT_EQ(ShownTopic(), "hidd-129");
  EXPECT_TRUE(help->ForwardButton()->isEnabled());
  help->ForwardButton()->click();
  EXPECT_EQ(ShownTopic(), "hid-57636");
  help->ContentsButton()->click();
  EXPECT_EQ(ShownTopic(), "");
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Tolvane ﾍﾙﾌﾟ"));
  help->BackButton()->click();  // each topic seen once in the history
  EXPECT_EQ(ShownTopic(), "hid-57636");
}

}  // namespace
