#pragma once

#include <optional>
#include <string>

namespace platform {
class ProfileFile;
}

namespace app {

// The main window's settings: the section "Window Size" of the settings file, read in two
// steps at start-up and written together once, at exit. Switches are stored as 0 and 1.
// Each key is one row of the table in frame_settings.cpp, in the order they are written;
// a field's initial value is its default when the key is missing.
struct FrameSettings {
  static constexpr const char* kSection = "Window Size";

  // Start-up reads the settings before the command line is carried out and after.
  enum class Step { BeforeCommandLine, AfterCommandLine };

  // "Rect": the outer rectangle of the normal state as "%04d %04d %04d %04d"; empty for
  // the default rectangle.
  std::string m_strRect;
  bool m_bMinimized = false;  // "Min"
  // "Max": maximized, or minimized from the maximized state.
  bool m_bMaximized = false;
  // "Tool": the tool bar is visible. None while it floats: the key keeps its value.
  std::optional<bool> m_bToolBar = true;
  bool m_bStatusBar = true;        // "Status"
  bool m_bStartMinimized = false;  // "Icon"
  std::string m_strStartupFile;    // "File": the list opened at start-up, or empty
  bool m_bTopMost = false;         // "TopMost"
  bool m_bAutoPaste = true;        // "Auto"

  // Reads the keys of `step`; a missing key gives the default.
  void Load(const platform::ProfileFile& profile, Step step);
  // Writes every key. A failed write is ignored.
  void Save(platform::ProfileFile& profile) const;

  bool operator==(const FrameSettings&) const = default;
};

}  // namespace app
