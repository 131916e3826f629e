#include "app/frame_placement.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace app {

namespace {

constexpr Qt::WindowStates kNotNormal =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

}  // namespace

FramePlacement::FramePlacement(QWidget* window) : QObject(window), m_pWindow(window) {
  window->installEventFilter(this);
}

void FramePlacement::Place(const QRect& outer) {
  m_rcNormalOuter = outer;
  const QMargins margins = FrameMargins();
  if (IsNormalAndShown() && !margins.isNull()) {
    m_rcPendingOuter = QRect();
    m_pWindow->resize(outer.size().shrunkBy(margins));
  } else {
    m_rcPendingOuter = outer;
    m_pWindow->resize(outer.size());
  }
  // move() places the frame, also before the window manager has framed the window.
  m_pWindow->move(outer.topLeft());
}

QRect FramePlacement::NormalOuterRect() const {
  if (IsNormalAndShown() || m_rcNormalOuter.isNull()) return m_pWindow->frameGeometry();
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
  if (m_rcPendingOuter.isNull() || FrameMargins().isNull()) return;
  // The frame is known now: give the window the outer size it was placed with. Done
  // after this event, not inside the window's own geometry change.
  const QRect outer = m_rcPendingOuter;
  m_rcPendingOuter = QRect();
  m_rcNormalOuter = outer;
  QTimer::singleShot(0, this, [this, outer] {
    m_pWindow->resize(outer.size().shrunkBy(FrameMargins()));
    m_pWindow->move(outer.topLeft());
  });
}

void FramePlacement::OnResized() {
  const Qt::WindowStates state = m_pWindow->windowState();
  if (!m_onMaximized || !(state & Qt::WindowMaximized) || (state & Qt::WindowMinimized)) return;
  // After the layouts have given the new size to the children.
  QTimer::singleShot(0, this, std::move(m_onMaximized));
  m_onMaximized = nullptr;
}

void FramePlacement::OnStateChanged() {
  if (!(m_pWindow->windowState() & Qt::WindowMaximized)) m_onMaximized = nullptr;
  OnGeometryChanged();
}

}  // namespace app
