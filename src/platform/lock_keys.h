#pragma once

namespace platform {

struct LockKeyState {
  bool caps = false;
  bool num = false;
  bool scroll = false;
  bool kana = false;
};

// The keyboard's lock indicators, read from the X server where the X11 platform is in
// use; all off elsewhere.
LockKeyState QueryLockKeys();

}  // namespace platform
