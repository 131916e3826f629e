#pragma once

#include <string>

#include "platform/clipboard_port.h"

namespace testing_support {

// An in-process clipboard for tests: another program's copies are simulated with
// SimulateCopy, and every failure the real clipboard can report can be injected.
class FakeClipboardPort : public platform::ClipboardPort {
  Q_OBJECT

 public:
  platform::ClipboardStatus ReadText(std::string& text) override;
  platform::ClipboardStatus WriteText(const std::string& text) override;
  bool Clear() override;
  bool HasText() override { return m_bHasText; }
  bool HasAnyFormat() override { return m_bHasText || m_bHasOtherFormat; }
  bool SeesCopiesOnlyWithFocus() const override { return m_bFocusOnly; }

  // Another program puts text (or, with SimulateImage, only non-text data) on the
  // clipboard; the change notice follows at once.
  void SimulateCopy(const std::string& text);
  void SimulateImage();
  void SimulateClear();
  // Before the program starts: the clipboard at start is read late, by the next
  // SimulateCopy, as a port that reads off the window's thread may.
  void DelayStartupRead() { ExpectStartupRead(); }

  const std::string& Text() const { return m_text; }
  int WriteCount() const { return m_nWrites; }

  // Failures of the next operations.
  bool m_bFocusOnly = false;          // sees copies only while the window has the focus
  bool m_bFailOpen = false;           // every open fails until reset
  bool m_bFailReadMemory = false;     // reading runs out of memory
  bool m_bFailWriteMemory = false;    // writing runs out of memory

 private:
  using ClipboardStatus = platform::ClipboardStatus;

  std::string m_text;
  bool m_bHasText = false;
  bool m_bHasOtherFormat = false;
  int m_nWrites = 0;
};

}  // namespace testing_support
