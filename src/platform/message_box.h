#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {

enum class MbIcon { None, Stop, Exclamation, Information, Question };
enum class MbButtons { Ok, OkCancel, YesNo, YesNoCancel };

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxRequest {
  QString text;
  QString caption;
  MbIcon icon = MbIcon::None;
  MbButtons buttons = MbButtons::Ok;
  unsigned helpContext = 0;
  bool systemModal = false;
  bool beep = false;  // the error beep, played before the box is shown
  QWidget* owner = nullptr;
};

// Shows a message box and returns the button that closed it (IDOK, IDCANCEL, ...).
// Every message of the program goes through here.
int ShowMessageBox(const MessageBoxRequest& request);

// Replaces the real boxes, for tests: the handler answers instead of the user.
// An empty handler restores the real boxes.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
