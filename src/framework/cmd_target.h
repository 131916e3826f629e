#pragma once

#include <QString>
#include <optional>

namespace fw {

// The state an update handler gives a command's menu items and buttons.
class CCmdUI {
 public:
  explicit CCmdUI(unsigned id) : m_nID(id) {}
  unsigned GetID() const { return m_nID; }

  void Enable(bool enable = true) { m_bEnabled = enable; }
  void SetCheck(int check = 1) { m_bChecked = check != 0; }
  void SetText(const QString& text) { m_text = text; }

  bool IsEnabled() const { return m_bEnabled; }
  bool IsChecked() const { return m_bChecked; }
  const std::optional<QString>& Text() const { return m_text; }
  // Whether the target that answered has a handler that runs the command.
  void SetHandled() { m_bHandled = true; }
  bool IsHandled() const { return m_bHandled; }

 private:
  unsigned m_nID;
  bool m_bEnabled = false;  // a command that nobody answers for is disabled
  bool m_bChecked = false;
  bool m_bHandled = false;
  std::optional<QString> m_text;
};

// One row of a command map: a handler, an update handler, or both.
template <class T>
struct CommandMapEntry {
  unsigned id;
  void (T::*handler)();
  void (T::*update)(CCmdUI*);
};

// Anything that handles commands. Each class declares its command map as a
// function-local static table and passes it to DispatchCommandMap from OnCmdMsg.
class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

  // With `ui` null: runs the handler for `id`. With `ui`: runs the update handler.
  // Returns true when this target answered.
  virtual bool OnCmdMsg(unsigned id, CCmdUI* ui);
};

template <class T, std::size_t N>
bool DispatchCommandMap(T* target, const CommandMapEntry<T> (&map)[N], unsigned id,
                        CCmdUI* ui) {
  for (const CommandMapEntry<T>& entry : map) {
    if (entry.id != id) continue;
    // An update handler alone does not make a command runnable: without a handler the
    // row answers nothing, and the command stays disabled unless a later target runs it.
    if (!entry.handler) return false;
    if (ui) {
      ui->Enable(true);
      ui->SetHandled();
      if (entry.update) (target->*entry.update)(ui);
      return true;
    }
    (target->*entry.handler)();
    return true;
  }
  return false;
}

}  // namespace fw
