#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/command_bars.h"
#include "framework/doc_template.h"
#include "framework/mdi_child_wnd.h"
#include "platform/alloc_fault.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"
#include "view/tolvane_view.h"

namespace {

using testing_support::AppTest;

class RoutingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Start();
    ASSERT_NE(ActiveChild(), nullptr);
  }

  // The chain as names of the running program's objects, "?" for any other.
  std::string Trace() const {
    std::string trace;
    for (fw::CCmdTarget* target : Frame()->GetCommandChain()) {
      if (!trace.empty()) trace += ", ";
      trace += NameOf(target);
    }
    return trace;
  }

  std::string NameOf(fw::CCmdTarget* target) const {
    fw::CMDIChildWnd* child = ActiveChild();
    if (child && target == child->GetActiveView()) return "view";
    if (child && target == child->GetActiveDocument()) return "document";
    if (target == m_pApp->GetDocTemplate()) return "template";
    if (child && target == child) return "child frame";
    if (target == m_pApp.get()) return "app";
    if (target == Frame()) return "main frame";
    return "?";
  }

  unsigned CurrentMenu() const { return Frame()->GetCommandBars()->CurrentMenu(); }
};

TEST_F(RoutingTest, ChainRunsFromTheActiveViewToTheApplication) {
  EXPECT_EQ(Trace(), "view, document, template, child frame, app, main frame, app");

  // The chain follows the active window: another document brings its own view.
  NewDocument();
  ASSERT_EQ(Frame()->GetChildFrames().size(), 2u);
  EXPECT_EQ(Frame()->GetCommandChain().front(), ActiveView());
  EXPECT_EQ(Trace(), "view, document, template, child frame, app, main frame, app");

  ASSERT_TRUE(Run(res::ID_WINDOW_CLOSE_ALL));
  ProcessEvents();
  ASSERT_EQ(ActiveChild(), nullptr);
  EXPECT_EQ(Trace(), "main frame, app");
}

TEST_F(RoutingTest, CommandWithoutHandlerIsDisabledAndDoesNotRun) {
  constexpr unsigned kUnhandled = 40000;
  fw::CCmdUI ui(kUnhandled);
  EXPECT_FALSE(Frame()->RouteCommand(kUnhandled, &ui));
  EXPECT_FALSE(ui.IsEnabled());
  EXPECT_FALSE(Run(kUnhandled));

  ASSERT_TRUE(Run(res::ID_WINDOW_CLOSE_ALL));
  ProcessEvents();
  EXPECT_FALSE(Enabled(kUnhandled));
  EXPECT_FALSE(Run(kUnhandled));
}

// The router asks the update handlers before it runs a command, whatever state a menu
// item or button last showed.
TEST_F(RoutingTest, DisabledCommandDoesNotRun) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  doc->ItemListForTesting().AddTail("a");
  EXPECT_FALSE(Enabled(res::ID_EDIT_UNDO));
  EXPECT_FALSE(Run(res::ID_EDIT_UNDO));
  EXPECT_EQ(Items(doc), std::vector<std::string>{"a"});

  doc->ItemListForTesting().RemoveAll();
  QAction* deleteAll = Frame()->GetCommandBars()->FindMenuAction(res::ID_EDIT_CLEAR_ALL);
  ASSERT_NE(deleteAll, nullptr);
  deleteAll->setEnabled(true);
  deleteAll->trigger();
  ProcessEvents();
  EXPECT_EQ(m_pMessages->Count(), 0);

  // With no document window the window commands are disabled and ask nothing.
  ASSERT_TRUE(Run(res::ID_WINDOW_CLOSE_ALL));
  ProcessEvents();
  EXPECT_FALSE(Run(res::ID_WINDOW_NEW));
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(RoutingTest, MenuStatesComeFromTheUpdateHandlersAsTheMenuOpens) {
  QAction* undo = Frame()->GetCommandBars()->FindMenuAction(res::ID_EDIT_UNDO);
  ASSERT_NE(undo, nullptr);
  QMenu* menu = nullptr;
  for (QObject* owner : undo->associatedObjects()) {
    if (auto* popup = qobject_cast<QMenu*>(owner)) menu = popup;
  }
  ASSERT_NE(menu, nullptr);
  Frame()->GetCommandBars()->UpdateMenu(menu);
  EXPECT_FALSE(undo->isEnabled());

  ActiveDoc()->m_strDeleted = "deleted";
  ActiveDoc()->m_nDeletedIndex = 0;
  Frame()->GetCommandBars()->UpdateMenu(menu);
  EXPECT_TRUE(undo->isEnabled());
}

TEST_F(RoutingTest, MenuBarFollowsWhetherADocumentWindowIsOpen) {
  EXPECT_EQ(CurrentMenu(), 129u);
  ASSERT_TRUE(Run(res::ID_FILE_CLOSE));
  ProcessEvents();
  EXPECT_EQ(CurrentMenu(), 128u);
  NewDocument();
  EXPECT_EQ(CurrentMenu(), 129u);
}

}  // namespace

namespace {

class NewDocumentFailureTest : public testing_support::AppTest {};

// A document that can't be made: message 61700, nothing opened, the counter not raised.
TEST_F(NewDocumentFailureTest, ReportsAndOpensNothing) {
  Start();
  const auto windows = Frame()->GetChildFrames().size();
  platform::FailNextAllocations(1);
  Run(res::ID_FILE_NEW);
  ProcessEvents();
  EXPECT_EQ(m_pMessages->LastText(), QStringLiteral("空のﾄﾞｷｭﾒﾝﾄの作成に失敗しました。"));
  EXPECT_EQ(Frame()->GetChildFrames().size(), windows);
  EXPECT_NE(NewDocument(), nullptr);
  EXPECT_EQ(ActiveDoc()->GetTitle(), QStringLiteral("Tlvn2"));
}

}  // namespace

namespace {

class CommandCoverageTest : public testing_support::AppTest {};

// Every command of the tables is answered by some target of the chain while a document
// window is active, except those whose feature the program does not offer here: the
// panes (there are no split windows) and the file features, whose commands stay
// disabled until those features exist.
TEST_F(CommandCoverageTest, EveryCommandIsAnsweredSomewhereInTheChain) {
  const std::set<unsigned> unanswered = {
      res::ID_NEXT_PANE,         res::ID_PREV_PANE,
  };
  m_strStartClipText = "an item";
  Start();
  for (unsigned id : res::kCommandIds) {
    fw::CCmdUI ui(id);
    EXPECT_EQ(Frame()->RouteCommand(id, &ui), !unanswered.count(id)) << "command " << id;
  }
  for (unsigned id : unanswered) EXPECT_FALSE(Enabled(id)) << "command " << id;
}

// A command is enabled only where a handler would run it: an update handler alone never
// makes it look runnable. Checked in the states that enable the most commands.
TEST_F(CommandCoverageTest, EveryEnabledCommandHasAHandler) {
  m_strStartClipText = "an item";
  Start();
  const auto check = [this](const char* state) {
    for (unsigned id : res::kCommandIds) {
      fw::CCmdUI ui(id);
      Frame()->RouteCommand(id, &ui);
      if (ui.IsEnabled()) {
        EXPECT_TRUE(ui.IsHandled()) << state << ": command " << id;
      }
    }
  };
  check("one item selected");
  Run(res::ID_EDIT_CLEAR);
  check("after a deletion");
  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  check("no document window");
}

}  // namespace
