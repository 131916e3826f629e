#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/mdi_child_wnd.h"
#include "platform/profile_file.h"
#include "resources/command_ids.h"
#include "resources/messages.h"
#include "support/app_fixture.h"

namespace {

using testing_support::AppTest;

constexpr Qt::WindowStates kMinMax = Qt::WindowMinimized | Qt::WindowMaximized;
const char kMissing[] = "<missing>";

class StartupTest : public AppTest {
 protected:
  // A key of the section "Window Size" as the file holds it now.
  std::string Setting(const char* key) const {
    return platform::ProfileFile(SettingsPath()).GetString("Window Size", key, kMissing);
  }
  Qt::WindowStates ShowState() const { return Frame()->windowState() & kMinMax; }
  QRect NormalRect() const { return Frame()->normalGeometry(); }
};

TEST_F(StartupTest, FirstRunShowsDefaultsAndOneNewDocument) {
  Start();
  app::CMainFrame* frame = Frame();
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(ShowState(), Qt::WindowStates());
  EXPECT_EQ(frame->geometry(), QRect(10, 10, 490, 390));
  EXPECT_TRUE(frame->ToolBar()->isVisible());
  EXPECT_FALSE(frame->ToolBar()->isFloating());
  EXPECT_EQ(frame->toolBarArea(frame->ToolBar()), Qt::TopToolBarArea);
  EXPECT_TRUE(frame->StatusBar()->isVisible());
  EXPECT_TRUE(Capture().AutoPaste());
  EXPECT_FALSE(frame->Settings().m_bTopMost);
  EXPECT_FALSE(frame->Settings().m_bStartMinimized);
  EXPECT_EQ(frame->Settings().m_strStartupFile, "");
  EXPECT_FALSE(frame->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(Checked(res::ID_CLIP_AUTO_PASTE));
  EXPECT_TRUE(Checked(res::ID_VIEW_TOOLBAR));
  EXPECT_TRUE(Checked(res::ID_VIEW_STATUS_BAR));
  EXPECT_FALSE(Checked(res::ID_VIEW_TOPMOST));

  ASSERT_EQ(frame->GetChildFrames().size(), 1u);
  ASSERT_NE(ActiveDoc(), nullptr);
  EXPECT_EQ(ActiveDoc()->GetTitle(), "Tlvn1");
  EXPECT_FALSE(ActiveDoc()->IsModified());
  EXPECT_TRUE(Items(ActiveDoc()).empty());
  EXPECT_EQ(frame->windowTitle(), "Tolvane - Tlvn1");
  EXPECT_EQ(m_pMessages->Count(), 0);
}

// Where copies are seen only while the window has the focus, the start says so once.
TEST_F(StartupTest, FocusOnlyClipboardIsSaidInTheStatusBar) {
  for (const bool bFocusOnly : {false, true}) {
    SCOPED_TRACE(bFocusOnly);
    m_bFocusOnlyClipboard = bFocusOnly;
    Start();
    EXPECT_EQ(Frame()->StatusBar()->currentMessage(),
              bFocusOnly ? QString::fromUtf8(res::kMsgCopiesSeenOnlyWithFocus) : QString());
    Exit();
  }
}

TEST_F(StartupTest, FirstRunExitWritesTheWholeSection) {
  Start();
  Exit();
  EXPECT_EQ(ReadSettings(),
            "[Window Size]\n"
            "Rect=0010 0010 0500 0400\n"
            "Min=0\n"
            "Max=0\n"
            "Tool=1\n"
            "Status=1\n"
            "Icon=0\n"
            "File=\n"
            "TopMost=0\n"
            "Auto=1\n");
}

// Whether the clipboard is read before the window shows or after it (an owner slow to
// answer), its text becomes the new list's first item and stays out of a file opened.
TEST_F(StartupTest, ClipboardTextAtStartIsTheFirstItem) {
  QTemporaryDir files;
  const QString file = files.filePath("list.tvn");
  std::ofstream(file.toStdString(), std::ios::binary) << std::string("\x01\x00\x01x", 4);
  const struct {
    bool late;
    QStringList arguments;
    std::vector<std::string> items;
    QString title;
  } cases[] = {
      {false, {}, {"first\r\nline"}, "Tlvn1 *"},
      {true, {}, {"first\r\nline"}, "Tlvn1 *"},
      {true, {file}, {"x"}, "list.tvn"},
  };
  for (const auto& c : cases) {
    m_strStartClipText = "first\r\nline";
    m_bLateStartupRead = c.late;
    m_arguments = c.arguments;
    Start();
    if (c.late) m_pClipboard->SimulateCopy(m_strStartClipText);
    EXPECT_EQ(Capture().ClipText(), "first\r\nline");
    ASSERT_NE(ActiveDoc(), nullptr);
    EXPECT_EQ(Items(ActiveDoc()), c.items) << c.late;
    EXPECT_EQ(Frame()->windowTitle(), "Tolvane - " + c.title) << c.late;
    Exit();
  }
}

TEST_F(StartupTest, ClipboardTextAtStartWithAutoPasteOffStaysOut) {
  WriteSettings("[Window Size]\nAuto=0\n");
  m_strStartClipText = "kept aside";
  Start();
  EXPECT_EQ(Capture().ClipText(), "kept aside");
  EXPECT_TRUE(Items(ActiveDoc()).empty());
  EXPECT_EQ(ActiveDoc()->GetTitle(), "Tlvn1");
  EXPECT_FALSE(Checked(res::ID_CLIP_AUTO_PASTE));
}

struct PlacementCase {
  const char* name;
  const char* keys;
  Qt::WindowStates state;
  bool startMinimized;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class PlacementTest : public StartupTest, public testing::WithParamInterface<PlacementCase> {};

// "Icon" wins over "Min"; "Max" decides whether a minimized window restores to maximized.
TEST_P(PlacementTest, SettingsDecideTheShowState) {
  const PlacementCase& c = GetParam();
  WriteSettings(std::string("[Window Size]\nRect=0100 0050 0700 0550\n") + c.keys);
  Start();
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(ShowState(), c.state);
  EXPECT_EQ(Frame()->Settings().m_bStartMinimized, c.startMinimized);
  EXPECT_EQ(Checked(res::ID_VIEW_START_MINIMIZED), c.startMinimized != 0);
  EXPECT_EQ(NormalRect(), QRect(100, 50, 600, 500));
}

INSTANTIATE_TEST_SUITE_P(
    All, PlacementTest,
    testing::Values(
        PlacementCase{"Normal", "Icon=0\nMin=0\nMax=0\n", Qt::WindowNoState, 0},
        PlacementCase{"Maximized", "Min=0\nMax=1\n", Qt::WindowMaximized, 0},
        PlacementCase{"Minimized", "Min=1\nMax=0\n", Qt::WindowMinimized, 0},
        PlacementCase{"MinimizedFromMaximized", "Min=1\nMax=1\n", kMinMax, 0},
        PlacementCase{"IconWithoutMin", "Icon=1\nMin=0\nMax=0\n", Qt::WindowMinimized, 1},
        PlacementCase{"IconRestoresToMaximized", "Icon=1\nMin=0\nMax=1\n", kMinMax, 1},
        PlacementCase{"IconAndMin", "Icon=1\nMin=1\n", Qt::WindowMinimized, 1}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

struct ExitStateCase {
  const char* name;
  void (*bringInto)(QWidget*);
  const char* min;
  const char* max;
  Qt::WindowStates nextStart;
};

void PrintTo(const ExitStateCase& c, std::ostream* os) { *os << c.name; }

class ExitStateTest : public StartupTest, public testing::WithParamInterface<ExitStateCase> {};

// What exit writes brings the next start back into the same state, and restoring the
// window gives the rectangle it had before it was maximized or minimized.
TEST_P(ExitStateTest, MinAndMaxFollowTheStateAtExit) {
  const ExitStateCase& c = GetParam();
  Start();
  Frame()->setGeometry(30, 40, 400, 300);
  AppTest::ProcessEvents();
  c.bringInto(Frame());
  AppTest::ProcessEvents();
  Exit();
  EXPECT_EQ(Setting("Rect"), "0030 0040 0430 0340");
  EXPECT_EQ(Setting("Min"), c.min);
  EXPECT_EQ(Setting("Max"), c.max);

  Start();
  EXPECT_EQ(ShowState(), c.nextStart);
  EXPECT_EQ(NormalRect(), QRect(30, 40, 400, 300));
  Frame()->showNormal();
  AppTest::ProcessEvents();
  EXPECT_EQ(Frame()->geometry(), QRect(30, 40, 400, 300));
}

INSTANTIATE_TEST_SUITE_P(
    All, ExitStateTest,
    testing::Values(
        ExitStateCase{"Normal", [](QWidget*) {}, "0", "0", Qt::WindowNoState},
        ExitStateCase{"Maximized", [](QWidget* w) { w->showMaximized(); }, "0", "1",
                      Qt::WindowMaximized},
        ExitStateCase{"MinimizedFromMaximized",
                      [](QWidget* w) {
                        w->showMaximized();
                        w->showMinimized();
                      },
                      "1", "1", kMinMax},
        ExitStateCase{"MinimizedFromNormal", [](QWidget* w) { w->showMinimized(); }, "1", "0",
                      Qt::WindowMinimized}),
    [](const testing::TestParamInfo<ExitStateCase>& info) { return info.param.name; });

class NegativeRectTest : public StartupTest, public testing::WithParamInterface<int> {};

// A window moved partly off the top left of the screen comes back where it was.
TEST_P(NegativeRectTest, NegativeCoordinatesReadBack) {
  const int v = GetParam();
  Start();
  Frame()->setGeometry(v, v, 420, 310);
  AppTest::ProcessEvents();
  Exit();
  char expected[64];
  std::snprintf(expected, sizeof expected, "%04d %04d %04d %04d", v, v, v + 420, v + 310);
  EXPECT_EQ(Setting("Rect"), expected);

  Start();
  // At -999 the window lies wholly off the test screen: it comes back moved onto it.
  const int back = v + 420 <= 0 ? 0 : v;
  EXPECT_EQ(Frame()->geometry(), QRect(back, back, 420, 310));
}

INSTANTIATE_TEST_SUITE_P(All, NegativeRectTest, testing::Values(-999, -100, -10, -1));

struct FitCase {
  const char* name;
  const char* rect;
  QRect geometry;
  const char* written;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class SavedRectFitTest : public StartupTest, public testing::WithParamInterface<FitCase> {};

// A saved rectangle larger than the screen or off it opens on the screen and is saved so.
TEST_P(SavedRectFitTest, OpensOnTheScreen) {
  WriteSettings(std::string("[Window Size]\nRect=") + GetParam().rect + "\n");
  Start();
  EXPECT_EQ(Frame()->geometry(), GetParam().geometry);
  Exit();
  EXPECT_EQ(Setting("Rect"), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    All, SavedRectFitTest,
    testing::Values(
        FitCase{"Huge", "0000 0000 32767 32767", QRect(0, 0, 800, 600), "0000 0000 0800 0600"},
        FitCase{"FarOff", "9000 9000 9500 9400", QRect(300, 200, 500, 400), "0300 0200 0800 0600"},
        FitCase{"PartlyOff", "0700 0500 1100 0800", QRect(700, 500, 400, 300),
                "0700 0500 1100 0800"}),
    [](const testing::TestParamInfo<FitCase>& info) { return info.param.name; });

TEST_F(StartupTest, HiddenToolBarIsWrittenAndStaysHidden) {
  Start();
  ASSERT_TRUE(Run(res::ID_VIEW_TOOLBAR));
  EXPECT_FALSE(Frame()->ToolBar()->isVisible());
  EXPECT_FALSE(Checked(res::ID_VIEW_TOOLBAR));
  Exit();
  EXPECT_EQ(Setting("Tool"), "0");
  EXPECT_EQ(Setting("Status"), "1");

  Start();
  EXPECT_FALSE(Frame()->ToolBar()->isVisible());
  EXPECT_TRUE(Frame()->StatusBar()->isVisible());
  EXPECT_FALSE(Checked(res::ID_VIEW_TOOLBAR));
  ASSERT_TRUE(Run(res::ID_VIEW_TOOLBAR));
  EXPECT_TRUE(Frame()->ToolBar()->isVisible());
}

TEST_F(StartupTest, HiddenStatusBarIsWrittenAndStaysHidden) {
  Start();
  ASSERT_TRUE(Run(res::ID_VIEW_STATUS_BAR));
  EXPECT_FALSE(Frame()->StatusBar()->isVisible());
  Exit();
  EXPECT_EQ(Setting("Status"), "0");
  EXPECT_EQ(Setting("Tool"), "1");

  Start();
  EXPECT_FALSE(Frame()->StatusBar()->isVisible());
  EXPECT_FALSE(Checked(res::ID_VIEW_STATUS_BAR));
}

// A floating tool bar is a window of its own: its visibility is not the frame's, so the
// value from before stays, and the next start docks it at the top again.
TEST_F(StartupTest, FloatingToolBarLeavesToolUnwritten) {
  WriteSettings("[Window Size]\nTool=0\n");
  Start();
  QToolBar* bar = Frame()->ToolBar();
  bar->setVisible(true);
  // What the tool bar itself does when it is dragged off its dock.
  bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
  bar->show();
  AppTest::ProcessEvents();
  ASSERT_TRUE(bar->isFloating());
  Exit();
  EXPECT_EQ(Setting("Tool"), "0");
  EXPECT_EQ(Setting("Status"), "1");

  Start();
  EXPECT_FALSE(Frame()->ToolBar()->isFloating());
  EXPECT_FALSE(Frame()->ToolBar()->isVisible());
  EXPECT_EQ(Frame()->toolBarArea(Frame()->ToolBar()), Qt::TopToolBarArea);
}

TEST_F(StartupTest, TopMostSettingPutsWindowOnTopAndCommandTakesItOff) {
  WriteSettings("[Window Size]\nTopMost=1\nRect=0050 0060 0450 0360\n");
  Start();
  EXPECT_TRUE(Frame()->Settings().m_bTopMost);
  EXPECT_TRUE(Frame()->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(Checked(res::ID_VIEW_TOPMOST));
  EXPECT_EQ(Frame()->geometry(), QRect(50, 60, 400, 300));

  Frame()->showMaximized();
  AppTest::ProcessEvents();
  ASSERT_TRUE(Run(res::ID_VIEW_TOPMOST));
  AppTest::ProcessEvents();
  EXPECT_FALSE(Frame()->Settings().m_bTopMost);
  EXPECT_FALSE(Frame()->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Checked(res::ID_VIEW_TOPMOST));
  // Leaving the layer neither hides the window nor changes its state or place.
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(ShowState(), Qt::WindowMaximized);
  EXPECT_EQ(NormalRect(), QRect(50, 60, 400, 300));

  ASSERT_TRUE(Run(res::ID_VIEW_TOPMOST));
  EXPECT_TRUE(Frame()->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(Frame()->isVisible());
  Exit();
  EXPECT_EQ(Setting("TopMost"), "1");
}

// The switch takes effect at the next start only; "Min" is still the state at exit.
TEST_F(StartupTest, StartMinimizedIsWrittenAsIconAndWinsNextStart) {
  Start();
  ASSERT_TRUE(Run(res::ID_VIEW_START_MINIMIZED));
  EXPECT_TRUE(Checked(res::ID_VIEW_START_MINIMIZED));
  EXPECT_EQ(ShowState(), Qt::WindowStates());
  Exit();
  EXPECT_EQ(Setting("Icon"), "1");
  EXPECT_EQ(Setting("Min"), "0");

  Start();
  EXPECT_EQ(ShowState(), Qt::WindowMinimized);
  ASSERT_TRUE(Run(res::ID_VIEW_START_MINIMIZED));
  EXPECT_FALSE(Checked(res::ID_VIEW_START_MINIMIZED));
  Exit();
  EXPECT_EQ(Setting("Icon"), "0");
  EXPECT_EQ(Setting("Min"), "1");
}

TEST_F(StartupTest, SettingsReadBackAfterExit) {
  WriteSettings(
      "[Window Size]\nAuto=0\nFile=/home/user/lists/work.tvn\nStatus=0\n");
  Start();
  EXPECT_FALSE(Capture().AutoPaste());
  EXPECT_EQ(Frame()->Settings().m_strStartupFile, "/home/user/lists/work.tvn");
  EXPECT_FALSE(Frame()->StatusBar()->isVisible());
  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  // Nothing is written while the program runs.
  EXPECT_EQ(Setting("Auto"), "0");
  Exit();
  EXPECT_EQ(Setting("Auto"), "1");
  EXPECT_EQ(Setting("File"), "/home/user/lists/work.tvn");
  EXPECT_EQ(Setting("Status"), "0");
}

struct GarbageCase {
  const char* name;
  const char* section;  // the section "Window Size" as the file holds it, or ""
};

void PrintTo(const GarbageCase& c, std::ostream* os) { *os << c.name; }

class GarbageSettingsTest : public StartupTest, public testing::WithParamInterface<GarbageCase> {};

const char kOtherBefore[] =
    "garbage without an equals sign\r\n"
    "=no key\n"
    "  ; a comment\n"
    "\x01\xff binary\n";
// The framework's own section, rewritten at exit with the same entries.
const char kRecentFiles[] =
    "[Recent File List]\n"
    "File1=/tmp/a b.tvn\n";
const char kOtherAfter[] =
    "[Settings]\n"
    "CodePage=UTF-8\n"
    "[Window Sizes]\n"
    "Rect=0100 0100 0600 0600\n";

// The file without the section `header` (from its header to the next one).
std::string WithoutSection(std::string text, const std::string& header) {
  const std::size_t begin = text.find(header);
  if (begin == std::string::npos) return text;
  const std::size_t next = text.find("\n[", begin);
  text.erase(begin, next == std::string::npos ? std::string::npos : next + 1 - begin);
  return text;
}

// Unreadable values give the defaults; exit rewrites only the program's own section.
TEST_P(GarbageSettingsTest, StartsWithDefaultsAndKeepsOtherSections) {
  const GarbageCase& c = GetParam();
  const std::string before = kOtherBefore;
  const std::string after = kOtherAfter;
  WriteSettings(before + kRecentFiles + c.section + after);
  Start();
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(ShowState(), Qt::WindowStates());
  EXPECT_EQ(Frame()->geometry(), QRect(10, 10, 490, 390));
  EXPECT_TRUE(Frame()->ToolBar()->isVisible());
  EXPECT_TRUE(Frame()->StatusBar()->isVisible());
  EXPECT_TRUE(Capture().AutoPaste());
  EXPECT_FALSE(Frame()->Settings().m_bTopMost);
  EXPECT_FALSE(Frame()->Settings().m_bStartMinimized);
  ASSERT_NE(ActiveDoc(), nullptr);
  Exit();

  EXPECT_EQ(WithoutSection(WithoutSection(ReadSettings(), "[Window Size]"), "[Recent File List]"),
            before + after);
  EXPECT_EQ(platform::ProfileFile(SettingsPath()).GetString("Recent File List", "File1", ""),
            "/tmp/a b.tvn");
  EXPECT_EQ(Setting("Rect"), "0010 0010 0500 0400");
  EXPECT_EQ(Setting("Min"), "0");
  EXPECT_EQ(Setting("Max"), "0");
  EXPECT_EQ(Setting("Auto"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    All, GarbageSettingsTest,
    testing::Values(
        GarbageCase{"MissingSection", ""},
        GarbageCase{"GarbageLines",
                    "[Window Size]\n"
                    "this is not a key\n"
                    "]] [[\n"
                    "Rect\n"
                    "\x80\x81\xfe=\n"},
        GarbageCase{"NonNumericValues",
                    "[Window Size]\n"
                    "Rect=left top right bottom\n"
                    "Min=yes\n"
                    "Max=x1\n"
                    "Tool=\n"
                    "Status=on\n"
                    "Icon=-\n"
                    "TopMost=\"\"\n"
                    "Auto=true\n"},
        GarbageCase{"ShortRect", "[Window Size]\nRect=0100 0100 06\n"},
        GarbageCase{"RectFieldWithoutDigits", "[Window Size]\nRect=0100 0100 ---- 0600\n"},
        GarbageCase{"HugeNumbers",
                    "[Window Size]\n"
                    "Rect=99999999999999999999 99999999999999999999\n"
                    "Tool=99999999999999999999\n"
                    "Status=-99999999999999999999\n"},
        GarbageCase{"HugeRectangle", "[Window Size]\nRect=0010 0010 99999 0400\n"},
        GarbageCase{"InvertedRectangle", "[Window Size]\nRect=0500 0400 0010 0010\n"}),
    [](const testing::TestParamInfo<GarbageCase>& info) { return info.param.name; });

// The write failure at exit is ignored: the program starts and ends as usual.
TEST_F(StartupTest, UnwritableSettingsFolderStartsAndExits) {
  const std::string blocker = m_configDir.path().toStdString() + "/not-a-folder";
  std::ofstream(blocker) << "x";
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(blocker + "/config"));
  Start();
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(Frame()->geometry(), QRect(10, 10, 490, 390));
  ASSERT_NE(ActiveDoc(), nullptr);
  Exit();
  EXPECT_EQ(m_pMessages->Count(), 0);
  EXPECT_FALSE(std::ifstream(SettingsPath()).is_open());
}

struct CountCase {
  unsigned count;
  const char* text;
};

class ItemCountPaneTest : public StartupTest, public testing::WithParamInterface<CountCase> {};

// The label, then the count right-aligned in five places; the shown pane keeps its size
// but for a count too long for it.
TEST_P(ItemCountPaneTest, ShowsCountRightAligned) {
  Start();
  Frame()->show();
  Frame()->UpdateItemCount(GetParam().count);
  EXPECT_EQ(ItemCountText(), QString::fromUtf8(GetParam().text));
  const QLabel* pane = Frame()->ItemCountPane();
  for (const unsigned next : {GetParam().count, GetParam().count * 10 + 9, 1234567u}) {
    Frame()->UpdateItemCount(next);
    EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(ItemCountText())) << next;
    EXPECT_EQ(pane->minimumSize(), pane->maximumSize());
  }
}

INSTANTIATE_TEST_SUITE_P(All, ItemCountPaneTest,
                         testing::Values(CountCase{7, "項目数 :     7"},
                                         CountCase{0, "項目数 :     0"},
                                         CountCase{32767, "項目数 : 32767"},
                                         CountCase{123456, "項目数 : 123456"}));

}  // namespace
