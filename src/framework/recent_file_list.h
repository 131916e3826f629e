#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ProfileFile;
}

namespace fw {

// The most recently used document files, entry 0 the newest. Empty entries stand only
// at the end. Paths are UTF-8 and compared exactly: Linux names that differ by case are
// different files.
class CRecentFileList {
 public:
  static constexpr int kDefaultSize = 4;
  static constexpr std::size_t kDisplayLength = 30;
  static constexpr const char* kSection = "Recent File List";

  explicit CRecentFileList(int size = kDefaultSize);

  int GetSize() const { return static_cast<int>(m_arrNames.size()); }
  // The path of entry i; empty for an unused entry.
  const std::string& operator[](int i) const { return m_arrNames[static_cast<std::size_t>(i)]; }
  bool IsEmpty() const { return m_arrNames.empty() || m_arrNames.front().empty(); }

  // Puts `path` at the head; an equal entry moves up instead of appearing twice, and
  // the oldest entry falls off when the list is full.
  void Add(const std::string& path);
  // Takes entry i out; the later entries move up.
  void Remove(int i);

  // The menu's name of entry i: see RecentFileDisplayName.
  std::string GetDisplayName(int i, std::string_view currentDirectory) const;

  // Entries from the section's keys File1.., empty where missing; gaps close up.
  void ReadList(const platform::ProfileFile& profile);
  // Replaces the section with one key for each non-empty entry.
  void WriteList(platform::ProfileFile& profile) const;

 private:
  std::vector<std::string> m_arrNames;
};

// How the menu shows a recent file: the file name alone when its folder is
// `currentDirectory`; else the path when it has at most `maxLength` characters; else
// "/.../" and as many of the last components as fit, always the file name; the file
// name alone when not even that fits. Characters are counted as UTF-8 code points.
std::string RecentFileDisplayName(std::string_view path, std::string_view currentDirectory,
                                  std::size_t maxLength = CRecentFileList::kDisplayLength);

}  // namespace fw
