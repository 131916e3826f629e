#pragma once

#include <span>
#include <string_view>

namespace res {

enum class ControlKind {
  PushButton,
  DefaultPushButton,
  Static,
  Icon,
  Edit,
  RichEdit,
  CheckBox,
  RadioButton,
  GroupBox,
};

// Positions and sizes are in dialog units; the dialog code converts them to pixels.
// An Icon control shows the application icon at its own size (width and height 0).
struct DialogControl {
  unsigned id;
  ControlKind kind;
  std::string_view text;
  int x, y, width, height;
};

// Controls are listed in tab order.
struct DialogLayout {
  unsigned id;
  std::string_view caption;
  int x, y, width, height;
  std::string_view fontName;
  int pointSize;
  std::span<const DialogControl> controls;
};

// Dialog 100 (version information), 131 (edit-modify), 132 (start-up file) or 1540
// (find); nullptr for any other id.
const DialogLayout* FindDialogLayout(unsigned id);

}  // namespace res
