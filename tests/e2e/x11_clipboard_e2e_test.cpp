// The X11 clipboard read off the window's thread: owners that never answer, fast
// copiers, large texts, and the notices of our own writes.
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "e2e/e2e_support.h"
#include "e2e/x11_app_fixture.h"
#include "platform/x11_clipboard_port.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

using e2e::ClipboardOwner;
using e2e::HelperProcess;
using ItemList = std::vector<std::string>;

// The longest the window may go without answering. Measured stalls are a few ms; the
// bound leaves room for a busy test machine and still catches any wait for an owner,
// which lasts a second or more.
constexpr int kResponsiveMs = 400;

class X11ClipboardE2ETest : public e2e::X11AppTest {
 protected:
  // Runs the event loop for `ms` and returns the longest gap between two turns of it.
  static qint64 LongestStallDuring(int ms, const std::function<bool()>& done = {}) {
    QElapsedTimer total;
    QElapsedTimer turn;
    total.start();
    turn.start();
    qint64 longest = 0;
    while (total.elapsed() < ms && !(done && done())) {
      QTest::qWait(1);
      longest = std::max(longest, turn.restart());
    }
    return longest;
  }

  ItemList ActiveItems() const { return Items(ActiveDoc()); }
};

TEST_F(X11ClipboardE2ETest, OwnCopyCutAndClearGiveOneNoticeEachAndOthersStillCount) {
  StartWithX11Clipboard();
  ASSERT_NE(ClipboardOwner::Copy("first"), nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "first"; }));
  ASSERT_NE(ClipboardOwner::Copy("second"), nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "second"; }));
  ASSERT_EQ(ActiveItems(), (ItemList{"second", "first"}));

  // Each step: the command, how many notices it must give, the list afterwards.
  struct Step {
    unsigned command;
    const char* name;
    ItemList items;
    std::string clipText;
  };
  const Step steps[] = {
      {res::ID_EDIT_COPY, "copy", {"second", "first"}, "second"},
      {res::ID_EDIT_CUT, "cut", {"first"}, "second"},
      {res::ID_CLIP_CLEAR, "clear", {"first"}, ""},
  };
  for (const Step& step : steps) {
    const qsizetype before = Notices();
    ASSERT_TRUE(Run(step.command)) << step.name;
    EXPECT_EQ(Notices(), before + 1) << step.name << ": notice inside the call";
    // The reader sees our own ownership change too; it must not notice it again.
    LongestStallDuring(400);
    EXPECT_EQ(Notices(), before + 1) << step.name << ": a second notice";
    EXPECT_EQ(ActiveItems(), step.items) << step.name;
    EXPECT_EQ(Capture().ClipText(), step.clipText) << step.name;
  }
  EXPECT_FALSE(m_pApp->Clipboard().HasAnyFormat());
  EXPECT_FALSE(Capture().SkipsNextCapture());

  // A copy made by a Qt widget (an edit box of a dialog) bypasses the port: the reader
  // sees our connection take the clipboard, and that counts as a change.
  qsizetype before = Notices();
  QGuiApplication::clipboard()->setText(QStringLiteral("from an edit box"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "from an edit box"; }));
  LongestStallDuring(200);
  EXPECT_EQ(Notices(), before + 1);
  EXPECT_EQ(ActiveItems(), (ItemList{"from an edit box", "first"}));

  before = Notices();
  ASSERT_NE(ClipboardOwner::Copy("third"), nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "third"; }));
  LongestStallDuring(200);
  EXPECT_EQ(Notices(), before + 1);
  EXPECT_EQ(ActiveItems(), (ItemList{"third", "from an edit box", "first"}));
}

TEST_F(X11ClipboardE2ETest, OwnerThatNeverAnswersGivesNoTextWithoutStallingTheWindow) {
  StartWithX11Clipboard();
  for (const char* mode : {"silent", "targets"}) {
    ASSERT_NE(ClipboardOwner::Copy("before"), nullptr);
    ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "before"; }));
    const qsizetype before = Notices();
    HelperProcess owner;
    ASSERT_TRUE(owner.Start(QStringLiteral("hung_owner"), {QString::fromLatin1(mode)}));
    ASSERT_TRUE(owner.WaitForLine("owning")) << mode;

    const qint64 stall = LongestStallDuring(3000, [&] { return Notices() > before; });
    EXPECT_LT(stall, kResponsiveMs) << mode;
    EXPECT_EQ(Notices(), before + 1) << mode << ": the owner is given up after about 1 s";
    EXPECT_EQ(Capture().ClipText(), "") << mode;
    EXPECT_FALSE(m_pApp->Clipboard().HasText()) << mode;
    EXPECT_TRUE(m_pApp->Clipboard().HasAnyFormat()) << mode << ": it can still be cleared";

    // Clearing takes the clipboard from the silent owner without waiting for it.
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Run(res::ID_CLIP_CLEAR));
    EXPECT_LT(timer.elapsed(), kResponsiveMs) << mode;
    EXPECT_TRUE(owner.WaitForEnd()) << mode << ": the owner was told it lost the clipboard";
    LongestStallDuring(300);
    EXPECT_EQ(Notices(), before + 2) << mode;
    EXPECT_FALSE(m_pApp->Clipboard().HasAnyFormat()) << mode;
  }
  // The next normal copy is captured as usual.
  ASSERT_NE(ClipboardOwner::Copy("after"), nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "after"; }));
  EXPECT_EQ(ActiveItems().front(), "after");
}

TEST_F(X11ClipboardE2ETest, FastCopiesEndWithTheLastAtTheHeadAndSecretsAreSkipped) {
  StartWithX11Clipboard();
  HelperProcess feeder;
  ASSERT_TRUE(feeder.Start(QStringLiteral("feeder"),
                           {QStringLiteral("60"), QStringLiteral("feed"), QStringLiteral("2")}));
  ASSERT_TRUE(feeder.WaitForLine("done", 20000));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "feed 60"; }))
      << Capture().ClipText();
  const ItemList items = ActiveItems();
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items.front(), "feed 60");
  EXPECT_LE(items.size(), 60u);

  HelperProcess secret;
  ASSERT_TRUE(secret.Start(QStringLiteral("feeder"), {QStringLiteral("1"),
                                                      QStringLiteral("password"),
                                                      QStringLiteral("0"),
                                                      QStringLiteral("secret")}));
  ASSERT_TRUE(secret.WaitForLine("done"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText().empty(); }));
  EXPECT_FALSE(m_pApp->Clipboard().HasText());
  EXPECT_EQ(ActiveItems(), items);
}

TEST_F(X11ClipboardE2ETest, FiftyMegabyteTextArrivesByteForByte) {
  StartWithX11Clipboard();
  // Multibyte text with line breaks, so that a piece boundary can fall inside a character.
  std::string text;
  const std::string line = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ 項目 line\r\n";
  text.reserve((50u << 20) + line.size());
  while (text.size() < (50u << 20)) text += line;
  // xclip takes a while to read so much before it owns the clipboard.
  ASSERT_NE(ClipboardOwner::Copy(QByteArray::fromStdString(text), 30000), nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText().size() == text.size(); },
                             30000));
  EXPECT_TRUE(Capture().ClipText() == text);
  ASSERT_FALSE(ActiveItems().empty());
  EXPECT_TRUE(ActiveItems().front() == text);
}

// Qt hears of other programs' copies only while a dialog has the focus (the edit boxes are
// there), and then knows the newest owner even where it had listed an earlier one's formats.
TEST_F(X11ClipboardE2ETest, QtHearsOfCopiesOnlyWhileADialogHasTheFocus) {
  StartWithX11Clipboard();
  QClipboard* qtClipboard = QGuiApplication::clipboard();
  QSignalSpy qtChanges(qtClipboard, &QClipboard::dataChanged);
  QDialog dialog(Frame());
  auto* edit = new QLineEdit(&dialog);
  const auto focus = [](QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
  };
  ASSERT_NE(ClipboardOwner::Copy("png", e2e::kWaitMs, QStringLiteral("image/png")), nullptr);
  ASSERT_TRUE(focus(&dialog));
  EXPECT_TRUE(qtClipboard->mimeData()->hasFormat(QStringLiteral("image/png")));

  dialog.hide();
  ASSERT_TRUE(focus(Frame()));
  // Notices already on their way (the earlier owners' ends, the dialog's) arrive first.
  LongestStallDuring(200);
  const qsizetype heard = qtChanges.count();
  ASSERT_NE(ClipboardOwner::Copy("text"), nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText() == "text"; }));
  LongestStallDuring(100);
  EXPECT_EQ(qtChanges.count(), heard);

  ASSERT_TRUE(focus(&dialog));
  // Qt is told that the clipboard may have a new owner, and forgets the image's formats.
  ASSERT_TRUE(e2e::WaitUntil([&] { return qtChanges.count() > heard; }));
  edit->paste();
  EXPECT_EQ(edit->text(), QStringLiteral("text"));
}

// The start does not wait for the owner; the read at start, given up after about 1 s,
// comes later and finds no text.
TEST_F(X11ClipboardE2ETest, StartWithSilentOwnerDoesNotWaitAndFindsNoText) {
  HelperProcess owner;
  ASSERT_TRUE(owner.Start(QStringLiteral("hung_owner"), {QStringLiteral("silent")}));
  ASSERT_TRUE(owner.WaitForLine("owning"));
  QElapsedTimer timer;
  timer.start();
  StartWithX11Clipboard();
  EXPECT_LT(timer.elapsed(), kResponsiveMs);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !m_pApp->Clipboard().StartupReadPending(); }));
  EXPECT_EQ(Capture().ClipText(), "");
  EXPECT_EQ(ActiveItems(), ItemList{});
}

// The built program: its window answers while an owner hangs, and SIGTERM ends it.
TEST(X11ClipboardProgramE2ETest, WindowAnswersWhileOwnerHangsAndSigtermEndsItAtOnce) {
  for (const char* mode : {"silent", "targets"}) {
    e2e::TolvaneProcess program;
    ASSERT_TRUE(program.Start()) << program.Output().toStdString();
    const QString window = program.WaitForWindow();
    ASSERT_FALSE(window.isEmpty()) << program.Output().toStdString();

    HelperProcess owner;
    ASSERT_TRUE(owner.Start(QStringLiteral("hung_owner"), {QString::fromLatin1(mode)}));
    ASSERT_TRUE(owner.WaitForLine("owning"));
    EXPECT_LT(e2e::LongestPingMs(window, 700), kResponsiveMs) << mode;

    qint64 elapsedMs = -1;
    EXPECT_EQ(program.Terminate(&elapsedMs), 0) << mode << program.Output().toStdString();
    EXPECT_LT(elapsedMs, 1000) << mode;
  }
  ClipboardOwner::KillAll();
}

}  // namespace
