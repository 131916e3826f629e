#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Reads an integer the way profile files do: optional blanks or tabs, an optional sign,
// then decimal digits up to the first non-digit. nullopt when there is no digit; values
// beyond the range of int saturate.
std::optional<int> ParseProfileInt(std::string_view text);

// A settings file of "[section]" and "key=value" lines. Sections and keys match without
// regard to ASCII case and the first match wins.
//
// The file is read once, when the object is made (or on Load): reads are answered from
// memory and writes change only the copy in memory. Flush writes the file once, in one
// atomic replacement, applying the writes made since to the file as it is then, so every
// other byte of it (other sections, comments, unknown lines, line ends, a byte-order mark)
// stays as it is. Nothing throws.
//
// Only a regular file of at most kMaxFileSize bytes is read; anything else (a FIFO, a
// device, a folder, a larger file) counts as unreadable: reads give the defaults and
// writes are refused, so such a file is never replaced.
class ProfileFile {
 public:
  static constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

  explicit ProfileFile(std::string path);

  const std::string& Path() const;

  // Reads the file again and drops writes not yet flushed. Removes our own temporary
  // files that a killed run left beside it. false when the file exists but can't be read.
  bool Load();

  // def when the file, section or key is missing. The value loses surrounding blanks and
  // then one pair of enclosing double quotes.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view def) const;
  // def when the key is missing or its value holds no digits.
  int GetInt(std::string_view section, std::string_view key, int def) const;

  // false when the file could not be read or the names or value can't be stored in a line.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);
  bool DeleteSection(std::string_view section);

  // Writes the changes made since the last Load or Flush, if any. A symbolic link is
  // written through: its target is replaced, the link stays. false when the file could
  // not be written; it then holds its old content and the changes stay pending.
  bool Flush();
  bool HasPendingChanges() const { return !m_pending.empty(); }

 private:
  struct Change {
    bool deleteSection = false;
    std::string section, key, value;
  };

  std::string m_strPath;
  std::string m_content;  // the file's text after any byte-order mark, with the changes
  bool m_bReadable = true;
  std::vector<Change> m_pending;
};

// $XDG_CONFIG_HOME (when set and absolute, else $HOME/.config) + "/" + base + ".INI".
std::string SettingsFilePath(std::string_view executableBaseName);

}  // namespace platform
