#pragma once

#include <string>

namespace doc {

// The clipboard as documents and views see it: the text at the last change notice and
// the two capture switches. The application owns the one instance and hands it down.
struct CaptureState {
  std::string m_strClipText;
  int m_bAutoPaste = 1;
  int m_bSkipNextCapture = 0;
  // The clipboard at start is still being read (the window did not wait for it): lists
  // made new meanwhile get its text when it comes.
  bool m_bStartupReadPending = false;
  // A capture's message box is open. Its event loop goes on taking clipboard changes;
  // their messages are not shown inside it, so boxes never nest however fast the
  // clipboard changes.
  bool m_bCaptureMessageOpen = false;
  // Empty, or a copy of m_strClipText made ahead (for a large text) for the list to take.
  std::string m_strItemCopy;
};

// Shows a capture's stop message (error beep, system modal) unless one is open already.
void ShowCaptureMessage(CaptureState& capture, const char* text);

// Where a list's item count is shown: the main window's item-count pane.
class ItemCountSink {
 public:
  virtual void UpdateItemCount(unsigned count) = 0;

 protected:
  ~ItemCountSink() = default;
};

}  // namespace doc
