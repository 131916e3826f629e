#include "app/frame_settings.h"

#include <variant>

#include "platform/profile_file.h"

namespace app {
namespace {

using Step = FrameSettings::Step;
using Field = std::variant<std::string FrameSettings::*, bool FrameSettings::*,
                           std::optional<bool> FrameSettings::*>;

struct Key {
  const char* name;
  Step step;
  Field field;
};

// In the order they are written.
constexpr Key kKeys[] = {
    {"Rect", Step::AfterCommandLine, &FrameSettings::m_strRect},
    {"Min", Step::AfterCommandLine, &FrameSettings::m_bMinimized},
    {"Max", Step::AfterCommandLine, &FrameSettings::m_bMaximized},
    {"Tool", Step::BeforeCommandLine, &FrameSettings::m_bToolBar},
    {"Status", Step::BeforeCommandLine, &FrameSettings::m_bStatusBar},
    {"Icon", Step::AfterCommandLine, &FrameSettings::m_bStartMinimized},
    {"File", Step::BeforeCommandLine, &FrameSettings::m_strStartupFile},
    {"TopMost", Step::BeforeCommandLine, &FrameSettings::m_bTopMost},
    {"Auto", Step::BeforeCommandLine, &FrameSettings::m_bAutoPaste},
};

void Read(const platform::ProfileFile& profile, const char* key, const std::string& def,
          std::string& value) {
  value = profile.GetString(FrameSettings::kSection, key, def);
}

void Read(const platform::ProfileFile& profile, const char* key, bool def, bool& value) {
  value = profile.GetInt(FrameSettings::kSection, key, def ? 1 : 0) != 0;
}

void Read(const platform::ProfileFile& profile, const char* key, std::optional<bool> def,
          std::optional<bool>& value) {
  bool read = false;
  Read(profile, key, def.value_or(false), read);
  value = read;
}

void Write(platform::ProfileFile& profile, const char* key, const std::string& value) {
  profile.WriteString(FrameSettings::kSection, key, value);
}

void Write(platform::ProfileFile& profile, const char* key, bool value) {
  profile.WriteInt(FrameSettings::kSection, key, value ? 1 : 0);
}

void Write(platform::ProfileFile& profile, const char* key, std::optional<bool> value) {
  if (value) Write(profile, key, *value);
}

}  // namespace

void FrameSettings::Load(const platform::ProfileFile& profile, Step step) {
  const FrameSettings defaults;
  for (const Key& key : kKeys) {
    if (key.step != step) continue;
    std::visit([&](auto field) { Read(profile, key.name, defaults.*field, this->*field); },
               key.field);
  }
}

void FrameSettings::Save(platform::ProfileFile& profile) const {
  for (const Key& key : kKeys) {
    std::visit([&](auto field) { Write(profile, key.name, this->*field); }, key.field);
  }
}

}  // namespace app
