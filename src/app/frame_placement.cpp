#include "app/frame_placement.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace app {

namespace {

constexpr Qt::WindowStates kNotNormal =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
// A window manager that will not give the window its size is not asked forever.
constexpr int kMaxCorrections = 3;

}  // namespace

FramePlacement::FramePlacement(QWidget* window) : QObject(window), m_pWindow(window) {
  window->installEventFilter(this);
}

void FramePlacement::Place(const QRect& outer) {
  m_rcNormalOuter = outer;
  m_rcPendingOuter = outer;
  m_nCorrections = 0;
  // The client takes the whole size until the frame is known. move() on a window not yet
  // shown places its frame.
  m_pWindow->resize(outer.size());
  m_pWindow->move(outer.topLeft());
}

QRect FramePlacement::NormalOuterRect() const {
  if (m_rcNormalOuter.isNull()) return m_pWindow->frameGeometry();
  // A frame still being brought to its placed size counts as placed.
  const bool correcting = !m_rcPendingOuter.isNull() && !FrameMargins().isNull();
  if (IsNormalAndShown() && !correcting) return m_pWindow->frameGeometry();
  return m_rcNormalOuter;
}

void FramePlacement::RunWhenMaximized(std::function<void()> action) {
  m_onMaximized = std::move(action);
}

bool FramePlacement::IsNormalAndShown() const {
  return m_pWindow->isVisible() && !(m_pWindow->windowState() & kNotNormal);
}

QMargins FramePlacement::FrameMargins() const {
  const QRect frame = m_pWindow->frameGeometry();
  const QRect client = m_pWindow->geometry();
  return {client.left() - frame.left(), client.top() - frame.top(),
          frame.right() - client.right(), frame.bottom() - client.bottom()};
}

bool FramePlacement::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pWindow) {
    switch (event->type()) {
      case QEvent::Move:
        OnGeometryChanged();
        break;
      case QEvent::Resize:
        OnGeometryChanged();
        OnResized();
        break;
      case QEvent::WindowStateChange:
        OnStateChanged();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

void FramePlacement::OnGeometryChanged() {
  if (!IsNormalAndShown()) return;
  m_rcNormalOuter = m_pWindow->frameGeometry();
  // Without frame margins the window is not framed yet, or there is no window manager.
  if (m_rcPendingOuter.isNull() || FrameMargins().isNull()) return;
  if (m_rcNormalOuter.size() == m_rcPendingOuter.size() || m_nCorrections >= kMaxCorrections) {
    m_rcPendingOuter = QRect();
    return;
  }
  m_rcNormalOuter.setSize(m_rcPendingOuter.size());
  if (m_bCorrectionQueued) return;
  // After this event, not inside the window's own geometry change, and with the margins
  // then current: a window manager may report the frame of the state it is leaving first.
  m_bCorrectionQueued = true;
  ++m_nCorrections;
  QTimer::singleShot(0, this, [this] {
    m_bCorrectionQueued = false;
    if (m_rcPendingOuter.isNull() || !IsNormalAndShown()) return;
    // Only the size: the frame keeps its place, and moving a framed window by its frame
    // was seen to put it at the screen's corner.
    m_pWindow->resize(m_rcPendingOuter.size().shrunkBy(FrameMargins()));
  });
}

void FramePlacement::OnResized() {
  // The resize that a hidden window gets when it is shown carries the size it had
  // before; only a shown window's resize can bring the maximized size.
  const Qt::WindowStates state = m_pWindow->windowState();
  if (!m_onMaximized || !m_pWindow->isVisible() || !(state & Qt::WindowMaximized) ||
      (state & Qt::WindowMinimized)) {
    return;
  }
  // After the layouts have given the new size to the children.
  QTimer::singleShot(0, this, std::move(m_onMaximized));
  m_onMaximized = nullptr;
}

void FramePlacement::OnStateChanged() {
  if (!(m_pWindow->windowState() & Qt::WindowMaximized)) m_onMaximized = nullptr;
}

}  // namespace app
