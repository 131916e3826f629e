#include "document/capture_state.h"

#include <QString>

#include "framework/win_app.h"

namespace doc {

void ShowCaptureMessage(CaptureState& capture, const char* text) {
  if (capture.m_bCaptureMessageOpen) return;
  capture.m_bCaptureMessageOpen = true;
  fw::AppMessageBox(QString::fromUtf8(text), platform::MbIcon::Stop, platform::MbButtons::Ok, 0,
                    /*systemModal=*/true);
  capture.m_bCaptureMessageOpen = false;
}

}  // namespace doc
