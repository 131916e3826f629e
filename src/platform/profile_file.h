#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Reads an integer the way profile files do: optional blanks or tabs, an optional sign,
// then decimal digits up to the first non-digit. nullopt when there is no digit; values
// beyond the range of int saturate.
std::optional<int> ParseProfileInt(std::string_view text);

// A settings file of "[section]" and "key=value" lines. Sections and keys match without
// regard to ASCII case and the first match wins. Every read looks at the file anew; every
// write changes one line (or adds one) and keeps all other bytes of the file, and replaces
// the file atomically. Nothing throws.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  const std::string& Path() const;

  // def when the file, section or key is missing. The value loses surrounding blanks and
  // then one pair of enclosing double quotes.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view def) const;
  // def when the key is missing or its value holds no digits.
  int GetInt(std::string_view section, std::string_view key, int def) const;

  // false when the file can't be written or the names or value can't be stored in a line.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);
  bool DeleteSection(std::string_view section);

 private:
  std::string m_strPath;
};

// $XDG_CONFIG_HOME (when set and absolute, else $HOME/.config) + "/" + base + ".INI".
std::string SettingsFilePath(std::string_view executableBaseName);

}  // namespace platform
