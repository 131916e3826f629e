// Reordering by dragging with the real pointer, and finding a string with the real
// keyboard, in the built program.
#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "e2e/e2e_support.h"

namespace {

using e2e::ClipboardOwner;
using e2e::TolvaneProcess;

// Where the lines of the list are on the screen, found from the selected line.
struct LineLayout {
  int x;       // a column inside the list
  int top;     // top of the head line
  int height;  // of every line

  QPoint Center(int line) const {
    return {x, top + line * height + height / 2};
  }
};

class ListE2ETest : public ::testing::Test {
 protected:
  void TearDown() override {
    ClipboardOwner::KillAll();
    if (m_program) m_program->Terminate();
  }

  // Starts the program and lets another program copy `texts` in turn: the list shows
  // them in the reverse order, the last copied selected at the head.
  void StartWith(const std::vector<const char*>& texts) {
    m_program = std::make_unique<TolvaneProcess>();
    ASSERT_TRUE(m_program->Start()) << m_program->Output().toStdString();
    m_strWindow = m_program->WaitForWindow();
    ASSERT_FALSE(m_strWindow.isEmpty()) << m_program->Output().toStdString();
    for (const char* text : texts) {
      ClipboardOwner* owner = ClipboardOwner::Copy(text);
      ASSERT_NE(owner, nullptr);
      ASSERT_TRUE(owner->WaitUntilRead()) << "the program did not read: " << text;
    }
    ASSERT_TRUE(e2e::FocusWindow(m_strWindow));
  }

  // The top of the selected line, drawn in the highlight colour across the list: the
  // last band of that colour down the middle of the main window (the document window's
  // title bar above it may have the same colour). Waits until it is not at `notAt`.
  std::optional<int> SelectedLineTop(int x, int notAt = -1) const {
    const std::vector<int> window = e2e::WindowGeometry(m_strWindow);
    if (window.empty()) return std::nullopt;
    const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    const auto isHighlight = [&](const QColor& c) {
      return std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                 std::abs(c.blue() - highlight.blue()) < 30;
    };
    std::optional<int> found;
    e2e::WaitUntil([&] {
      const QImage screen = e2e::GrabScreen();
      found.reset();
      bool inBand = false;
      for (int y = window[1]; y < window[1] + window[3]; ++y) {
        const bool on = isHighlight(screen.pixelColor(x, y));
        if (on && !inBand) found = y;
        inBand = on;
      }
      return found && *found != notAt;
    });
    return found && *found != notAt ? found : std::nullopt;
  }

  // The lines' layout from the selected line at the head and the line after it.
  std::optional<LineLayout> FindLinesFromTheHead() const {
    const std::vector<int> window = e2e::WindowGeometry(m_strWindow);
    if (window.empty()) return std::nullopt;
    const int x = window[0] + window[2] / 2;
    const std::optional<int> head = SelectedLineTop(x);
    if (!head || !e2e::SendKeys({QStringLiteral("Down")})) return std::nullopt;
    const std::optional<int> next = SelectedLineTop(x, *head);
    if (!next || !e2e::SendKeys({QStringLiteral("Home")})) return std::nullopt;
    return LineLayout{x, *head, *next - *head};
  }

  // Ctrl+C in the program, then another program reads what it put on the clipboard.
  static void ExpectCopyGives(const QByteArray& expected, const char* step) {
    ASSERT_TRUE(e2e::SendKeys({QStringLiteral("ctrl+c")}));
    QByteArray last;
    ASSERT_TRUE(e2e::WaitForClipboardText(expected, &last))
        << step << ": expected \"" << expected.toStdString() << "\", read \""
        << last.toStdString() << "\"";
  }

  std::unique_ptr<TolvaneProcess> m_program;
  QString m_strWindow;
};

// The program runs with auto paste on: a copy made in it comes back as a capture and
// moves the copied item to the head.
TEST_F(ListE2ETest, DraggingALineMovesItAboveTheLineItIsDroppedOn) {
  ASSERT_NO_FATAL_FAILURE(StartWith({"F", "E", "D", "C", "B", "A"}));
  const std::optional<LineLayout> lines = FindLinesFromTheHead();
  e2e::SaveScreenshot(QStringLiteral("drag_before"));
  ASSERT_TRUE(lines.has_value()) << "no selected line on the screen";
  ASSERT_GT(lines->height, 8);

  // C (2) onto F (5): A B D E C F, C selected.
  const QPoint from = lines->Center(2);
  const QPoint to = lines->Center(5);
  std::vector<QPoint> path{from};
  for (int step = 1; step <= 5; ++step) path.push_back(from + (to - from) * step / 5);
  ASSERT_TRUE(e2e::DragMouse(path));
  e2e::SaveScreenshot(QStringLiteral("drag_after"));

  // The line above the selected one is E only when C moved below it.
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Up")}));
  ASSERT_NO_FATAL_FAILURE(ExpectCopyGives("E", "the line above the moved one"));
  // The capture: E A B D C F, E selected at the head.
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("End"), QStringLiteral("Up")}));
  ASSERT_NO_FATAL_FAILURE(ExpectCopyGives("C", "the moved line"));
}

TEST_F(ListE2ETest, FindSelectsTheLineHoldingTheText) {
  ASSERT_NO_FATAL_FAILURE(StartWith({"alpha one", "beta two", "gamma three"}));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("ctrl+f")}));
  const QString dialog = e2e::FindWindow(QString::fromUtf8("^検索$"));
  ASSERT_FALSE(dialog.isEmpty());
  ASSERT_TRUE(e2e::FocusWindow(dialog));
  ASSERT_TRUE(e2e::TypeText(QStringLiteral("one")));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Return")}));
  ASSERT_TRUE(e2e::FocusWindow(m_strWindow));
  ASSERT_NO_FATAL_FAILURE(ExpectCopyGives("alpha one", "the line found"));
}

}  // namespace
