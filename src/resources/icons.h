#pragma once

namespace res {

// Pictures in XPM form, ready for QPixmap's XPM constructor; 16 colours at most.

// 160 x 15: the ten 16 x 15 button images of the tool bar, left to right in button
// order (new, open, save, modify, cut, copy, paste, delete, version, context help).
const char* const* ToolBarXpm();

// The application icon, a clipboard with lines of text, at 32 x 32 and 16 x 16.
const char* const* AppIconXpm32();
const char* const* AppIconXpm16();

// The document icon, 32 x 32: a page with a list.
const char* const* DocIconXpm32();

}  // namespace res
