#include "platform/profile_file.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

enum class LineKind { Other, Section, Key };

// One line of the text: [begin, contentEnd) is its text without "\n" or "\r\n",
// [contentEnd, end) its line end (empty on a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // raw text after '=' of a key line
};

// The line that starts at `pos` (< content.size()). Lines are looked at one by one and
// never all stored: a file of millions of empty lines costs no memory beyond itself.
Line LineAt(std::string_view content, std::size_t pos) {
  Line line;
  line.begin = pos;
  const std::size_t newline = content.find('\n', pos);
  if (newline == std::string_view::npos) {
    line.contentEnd = line.end = content.size();
  } else {
    line.end = newline + 1;
    line.contentEnd = (newline > pos && content[newline - 1] == '\r') ? newline - 1 : newline;
  }
  const std::string_view text = Trim(content.substr(line.begin, line.contentEnd - line.begin));
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::Section;
      line.name = Trim(text.substr(1, close - 1));
    }
  } else if (!text.empty() && text.front() != ';') {
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
      line.kind = LineKind::Key;
      line.name = Trim(text.substr(0, equals));
      line.value = text.substr(equals + 1);
    }
  }
  return line;
}

// The header line of the first section with this name at or after `from`. Only lines
// that start with '[' are looked at closely: sections are sought through whole files.
std::optional<Line> FindSection(std::string_view content, std::string_view section,
                                std::size_t from = 0) {
  for (std::size_t pos = from; pos < content.size();) {
    std::size_t first = pos;
    while (first < content.size() && IsBlank(content[first])) ++first;
    if (first < content.size() && content[first] == '[') {
      const Line line = LineAt(content, pos);
      if (line.kind == LineKind::Section && EqualsIgnoringAsciiCase(line.name, section)) {
        return line;
      }
    }
    const std::size_t newline = content.find('\n', first);
    pos = newline == std::string_view::npos ? content.size() : newline + 1;
  }
  return std::nullopt;
}

// What a section holds: the first line with the key, else the last key line (the
// header when it has none); and where the section ends.
struct SectionScan {
  std::optional<Line> key;
  Line lastKey;
  std::size_t end = 0;
};

SectionScan ScanSection(std::string_view content, const Line& header, std::string_view key) {
  SectionScan scan;
  scan.lastKey = header;
  std::size_t pos = header.end;
  while (pos < content.size()) {
    const Line line = LineAt(content, pos);
    if (line.kind == LineKind::Section) break;
    if (line.kind == LineKind::Key) {
      if (!scan.key && EqualsIgnoringAsciiCase(line.name, key)) scan.key = line;
      scan.lastKey = line;
    }
    pos = line.end;
  }
  scan.end = pos;
  return scan;
}

std::string_view Unquote(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Quotes a value that reading would otherwise change (surrounding blanks or quotes).
std::string QuoteIfNeeded(std::string_view value) {
  const bool needsQuotes =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                         (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
  if (!needsQuotes) return std::string(value);
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.push_back('"');
  quoted.append(value);
  quoted.push_back('"');
  return quoted;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// The line end new lines get: the file's own style, "\n" for a new file.
std::string_view LineEndOf(std::string_view content) {
  const std::size_t newline = content.find('\n');
  if (newline != std::string_view::npos && newline > 0 && content[newline - 1] == '\r') {
    return "\r\n";
  }
  return "\n";
}

bool IsStorableSection(std::string_view section) {
  return !section.empty() && !HasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool IsStorableKey(std::string_view key) {
  return !key.empty() && !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
         key.front() != ';' && key.front() != '[';
}

std::optional<std::string_view> FindValue(std::string_view content, std::string_view section,
                                          std::string_view key) {
  const std::optional<Line> header = FindSection(content, Trim(section));
  if (!header) return std::nullopt;
  const SectionScan scan = ScanSection(content, *header, Trim(key));
  if (!scan.key) return std::nullopt;
  return Unquote(scan.key->value);
}

// Sets one key in the text: its first line in the first section of that name is replaced,
// or a line is added after the section's last key, or the section is added at the end.
// false when the text already held the line as it would be written.
bool SetValue(std::string& content, std::string_view section, std::string_view key,
              std::string_view value) {
  const std::string_view eol = LineEndOf(content);
  std::string keyLine(key);
  keyLine += '=';
  keyLine += QuoteIfNeeded(value);

  const std::optional<Line> header = FindSection(content, section);
  if (!header) {
    std::string added;
    if (!content.empty() && content.back() != '\n') added += eol;
    added += '[';
    added += section;
    added += ']';
    added += eol;
    added += keyLine;
    added += eol;
    content += added;
    return true;
  }
  const SectionScan scan = ScanSection(content, *header, key);
  if (scan.key) {
    const std::size_t length = scan.key->contentEnd - scan.key->begin;
    if (std::string_view(content).substr(scan.key->begin, length) == keyLine) return false;
    content.replace(scan.key->begin, length, keyLine);
    return true;
  }
  const Line& after = scan.lastKey;
  std::string inserted;
  if (after.end == after.contentEnd) inserted += eol;  // last line had no line end
  inserted += keyLine;
  inserted += eol;
  content.insert(after.end, inserted);
  return true;
}

// Removes every copy of the section, so that no later duplicate shows through. false when
// there was none.
bool RemoveSection(std::string& content, std::string_view section) {
  std::optional<Line> header = FindSection(content, section);
  if (!header) return false;
  std::string updated;
  std::size_t kept = 0;
  while (header) {
    const std::size_t end = ScanSection(content, *header, {}).end;
    updated.append(content, kept, header->begin - kept);
    kept = end;
    header = FindSection(content, section, end);
  }
  updated.append(content, kept, std::string::npos);
  content = std::move(updated);
  return true;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A byte-order mark is not part of the first line: without this the first section header
// would read as "\xEF\xBB\xBF[Section]" and be lost.
FileReadResult ReadProfileText(const std::string& path, std::string& content, bool& hasMark) {
  const FileReadResult result = ReadRegularFile(path, ProfileFile::kMaxFileSize, content);
  hasMark = result == FileReadResult::Ok && content.starts_with(kByteOrderMark);
  if (hasMark) content.erase(0, kByteOrderMark.size());
  return result;
}

}  // namespace

std::optional<int> ParseProfileInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const auto isDigit = [&](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  if (!isDigit(i)) return std::nullopt;
  // Accumulate the magnitude, stopping growth once it is past any int.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  for (; isDigit(i); ++i) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (negative) return magnitude >= kLimit ? INT_MIN : static_cast<int>(-magnitude);
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

ProfileFile::ProfileFile(std::string path) : m_strPath(std::move(path)) { Load(); }

const std::string& ProfileFile::Path() const { return m_strPath; }

bool ProfileFile::Load() {
  m_pending.clear();
  bool hasMark = false;
  m_bReadable = ReadProfileText(m_strPath, m_content, hasMark) != FileReadResult::Failed;
  if (m_bReadable) RemoveStaleTempFiles(m_strPath);
  return m_bReadable;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
  try {
    const std::optional<std::string_view> value = FindValue(m_content, section, key);
    return std::string(value ? *value : def);
  } catch (...) {
    return std::string(def);
  }
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
  const std::optional<std::string_view> value = FindValue(m_content, section, key);
  if (!value) return def;
  return ParseProfileInt(*value).value_or(def);
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  try {
    section = Trim(section);
    key = Trim(key);
    if (!m_bReadable || !IsStorableSection(section) || !IsStorableKey(key) ||
        HasLineBreak(value)) {
      return false;
    }
    m_pending.push_back({false, std::string(section), std::string(key), std::string(value)});
    SetValue(m_content, section, key, value);
    return true;
  } catch (...) {
    return false;
  }
}

bool ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
  try {
    return WriteString(section, key, std::to_string(value));
  } catch (...) {
    return false;
  }
}

bool ProfileFile::DeleteSection(std::string_view section) {
  try {
    section = Trim(section);
    if (!m_bReadable) return false;
    m_pending.push_back({true, std::string(section), {}, {}});
    RemoveSection(m_content, section);
    return true;
  } catch (...) {
    return false;
  }
}

bool ProfileFile::Flush() {
  if (m_pending.empty()) return true;
  try {
    // The changes go into the file as it is now, so that what another program wrote
    // into it since it was read stays, as when every write went to the file at once.
    std::string content;
    bool hasMark = false;
    const FileReadResult read = ReadProfileText(m_strPath, content, hasMark);
    if (read == FileReadResult::Failed) return false;
    bool changed = false;
    for (const Change& change : m_pending) {
      changed |= change.deleteSection ? RemoveSection(content, change.section)
                                      : SetValue(content, change.section, change.key,
                                                 change.value);
    }
    // Unchanged text is not written; a missing file stays missing when it would be empty.
    if (changed) {
      if (hasMark) content.insert(0, kByteOrderMark);
      const bool written = ReplaceFileAtomically(m_strPath, content);
      if (hasMark) content.erase(0, kByteOrderMark.size());
      if (!written) return false;
    }
    m_content = std::move(content);
    m_pending.clear();
    return true;
  } catch (...) {
    return false;
  }
}

std::string SettingsFilePath(std::string_view executableBaseName) {
  std::string folder;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] == '/') {
    folder = configHome;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      const passwd* entry = ::getpwuid(::getuid());
      home = entry != nullptr ? entry->pw_dir : ".";
    }
    folder = std::string(home) + "/.config";
  }
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  folder += '/';
  folder += executableBaseName;
  folder += ".INI";
  return folder;
}

}  // namespace platform
