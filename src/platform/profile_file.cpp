#include "platform/profile_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

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

// One line of the file: [begin, contentEnd) is its text without "\n" or "\r\n",
// [contentEnd, end) its line end (empty on a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // raw text after '=' of a key line
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    Line line;
    line.begin = pos;
    const std::size_t newline = content.find('\n', pos);
    if (newline == std::string_view::npos) {
      line.contentEnd = line.end = content.size();
    } else {
      line.end = newline + 1;
      line.contentEnd = (newline > pos && content[newline - 1] == '\r') ? newline - 1 : newline;
    }
    const std::string_view text =
        Trim(content.substr(line.begin, line.contentEnd - line.begin));
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
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

// Index of the first header of the section at or after `from`, or lines.size().
std::size_t FindSection(const std::vector<Line>& lines, std::string_view section,
                        std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i].kind == LineKind::Section && EqualsIgnoringAsciiCase(lines[i].name, section)) {
      return i;
    }
  }
  return lines.size();
}

// Index of the line after the section whose header is at `header`.
std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
  std::size_t i = header + 1;
  while (i < lines.size() && lines[i].kind != LineKind::Section) ++i;
  return i;
}

std::size_t FindKey(const std::vector<Line>& lines, std::size_t header, std::size_t end,
                    std::string_view key) {
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines[i].kind == LineKind::Key && EqualsIgnoringAsciiCase(lines[i].name, key)) return i;
  }
  return end;
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

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return ReadResult::Failed;
  }
  char buffer[16 * 1024];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return ReadResult::Failed;
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ReadResult::Ok;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::string& folder) {
  if (IsFolder(folder)) return true;
  const std::string parent = ParentFolder(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  if (::mkdir(folder.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(folder);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The file the settings really live in: a symbolic link is written through, not replaced.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

// Writes a temporary file beside the target and renames it over the target, so the
// settings file is always either the old or the new content.
bool ReplaceFileAtomically(const std::string& path, std::string_view content) {
  const std::string target = ResolveTarget(path);
  if (!MakeFolders(ParentFolder(target))) return false;

  struct stat old {};
  const bool hadFile = ::stat(target.c_str(), &old) == 0;

  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = WriteAll(fd, content);
  if (ok && hadFile) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool IsStorableSection(std::string_view section) {
  return !section.empty() && !HasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool IsStorableKey(std::string_view key) {
  return !key.empty() && !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
         key.front() != ';' && key.front() != '[';
}

std::optional<std::string> FindValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
  std::string content;
  if (ReadWholeFile(path, content) != ReadResult::Ok) return std::nullopt;
  const std::vector<Line> lines = SplitLines(content);
  const std::size_t header = FindSection(lines, Trim(section));
  if (header == lines.size()) return std::nullopt;
  const std::size_t end = SectionEnd(lines, header);
  const std::size_t found = FindKey(lines, header, end, Trim(key));
  if (found == end) return std::nullopt;
  return std::string(Unquote(lines[found].value));
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

ProfileFile::ProfileFile(std::string path) : m_strPath(std::move(path)) {}

const std::string& ProfileFile::Path() const { return m_strPath; }

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
  try {
    std::optional<std::string> value = FindValue(m_strPath, section, key);
    return value ? std::move(*value) : std::string(def);
  } catch (...) {
    return std::string(def);
  }
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
  try {
    const std::optional<std::string> value = FindValue(m_strPath, section, key);
    if (!value) return def;
    return ParseProfileInt(*value).value_or(def);
  } catch (...) {
    return def;
  }
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  try {
    section = Trim(section);
    key = Trim(key);
    if (!IsStorableSection(section) || !IsStorableKey(key) || HasLineBreak(value)) return false;

    std::string content;
    if (ReadWholeFile(m_strPath, content) == ReadResult::Failed) return false;
    const std::string_view eol = LineEndOf(content);
    std::string keyLine(key);
    keyLine += '=';
    keyLine += QuoteIfNeeded(value);

    const std::vector<Line> lines = SplitLines(content);
    const std::size_t header = FindSection(lines, section);
    std::string updated;
    if (header == lines.size()) {
      updated = content;
      if (!updated.empty() && updated.back() != '\n') updated += eol;
      updated += '[';
      updated += section;
      updated += ']';
      updated += eol;
      updated += keyLine;
      updated += eol;
    } else {
      const std::size_t end = SectionEnd(lines, header);
      const std::size_t found = FindKey(lines, header, end, key);
      if (found != end) {
        const Line& line = lines[found];
        updated = content.substr(0, line.begin) + keyLine + content.substr(line.contentEnd);
      } else {
        // After the section's last key, or right after its header when it has none.
        std::size_t after = header;
        for (std::size_t i = header + 1; i < end; ++i) {
          if (lines[i].kind == LineKind::Key) after = i;
        }
        const Line& line = lines[after];
        updated = content.substr(0, line.end);
        if (line.end == line.contentEnd) updated += eol;  // last line had no line end
        updated += keyLine;
        updated += eol;
        updated += content.substr(line.end);
      }
    }
    if (updated == content) return true;
    return ReplaceFileAtomically(m_strPath, updated);
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
    std::string content;
    const ReadResult read = ReadWholeFile(m_strPath, content);
    if (read != ReadResult::Ok) return read == ReadResult::Missing;

    // Every copy of the section goes, so that no later duplicate shows through.
    const std::vector<Line> lines = SplitLines(content);
    std::string updated;
    std::size_t kept = 0;
    bool found = false;
    for (std::size_t header = FindSection(lines, section); header < lines.size();
         header = FindSection(lines, section, header + 1)) {
      const std::size_t end = SectionEnd(lines, header);
      const std::size_t cutEnd = end < lines.size() ? lines[end].begin : content.size();
      updated.append(content, kept, lines[header].begin - kept);
      kept = cutEnd;
      found = true;
    }
    if (!found) return true;
    updated.append(content, kept, std::string::npos);
    return ReplaceFileAtomically(m_strPath, updated);
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
