#include "platform/lock_keys.h"

#include <QGuiApplication>
#include <X11/XKBlib.h>

namespace platform {
namespace {

// The indicator's bit in the server's indicator state, or 0 when it has none.
unsigned IndicatorMask(Display* display, const char* name) {
  const Atom atom = XInternAtom(display, name, True);
  if (atom == None) return 0;
  int index = -1;
  if (!XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr) || index < 0) {
    return 0;
  }
  return 1u << index;
}

}  // namespace

LockKeyState QueryLockKeys() {
  LockKeyState state;
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return state;
  // The indicators' places do not change while the program runs: ask once.
  static const unsigned caps = IndicatorMask(display, "Caps Lock");
  static const unsigned num = IndicatorMask(display, "Num Lock");
  static const unsigned scroll = IndicatorMask(display, "Scroll Lock");
  static const unsigned kana = IndicatorMask(display, "Kana");
  unsigned bits = 0;
  if (XkbGetIndicatorState(display, XkbUseCoreKbd, &bits) != Success) return state;
  state.caps = bits & caps;
  state.num = bits & num;
  state.scroll = bits & scroll;
  state.kana = bits & kana;
  return state;
}

}  // namespace platform
