#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <functional>

class QWidget;

namespace app {

// Keeps a top-level window's outer rectangle (frame and title bar included) for the
// normal state. A window manager frames the window only after it is shown, so the size
// of the frame is unknown while the window is placed: the window first takes the whole
// outer size and is brought to it once the first geometry change shows the frame. Without
// a window manager the frame is the window itself and nothing is corrected.
class FramePlacement : public QObject {
 public:
  // Watches `window`, which owns this object.
  explicit FramePlacement(QWidget* window);

  // Puts the window, before it is shown, at the outer rectangle `outer` of the normal
  // state.
  void Place(const QRect& outer);
  // The outer rectangle of the normal state: the frame while the window is shown in the
  // normal state, otherwise the last one seen (or placed).
  QRect NormalOuterRect() const;
  // Runs `action` once, after the first resize that finds the window maximized and not
  // minimized; forgotten when the window leaves the maximized state before.
  void RunWhenMaximized(std::function<void()> action);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool IsNormalAndShown() const;
  QMargins FrameMargins() const;
  void OnGeometryChanged();
  void OnResized();
  void OnStateChanged();

  QWidget* m_pWindow;
  QRect m_rcNormalOuter;
  // The outer rectangle still waiting for the frame's size; null when none.
  QRect m_rcPendingOuter;
  int m_nCorrections = 0;
  bool m_bCorrectionQueued = false;
  std::function<void()> m_onMaximized;
};

}  // namespace app
