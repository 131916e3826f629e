#include "framework/recent_file_list.h"

#include <algorithm>

#include "platform/profile_file.h"

namespace fw {
namespace {

std::size_t CharacterCount(std::string_view text) {
  // Every byte that does not continue a UTF-8 sequence starts a character.
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string EntryKey(int i) { return "File" + std::to_string(i + 1); }

// "/a/b/" and "/a/b" name the same folder; "/" stays "/".
std::string_view WithoutTrailingSlashes(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  return folder;
}

}  // namespace

CRecentFileList::CRecentFileList(int size) : m_arrNames(static_cast<std::size_t>(std::max(size, 1))) {}

void CRecentFileList::Add(const std::string& path) {
  if (path.empty()) return;
  // Searching all but the last entry is enough: a match there or none drops the last.
  auto last = m_arrNames.end() - 1;
  auto found = std::find(m_arrNames.begin(), last, path);
  std::move_backward(m_arrNames.begin(), found, found + 1);
  m_arrNames.front() = path;
}

void CRecentFileList::Remove(int i) {
  if (i < 0 || i >= GetSize()) return;
  m_arrNames.erase(m_arrNames.begin() + i);
  m_arrNames.emplace_back();
}

std::string CRecentFileList::GetDisplayName(int i, std::string_view currentDirectory) const {
  return RecentFileDisplayName((*this)[i], currentDirectory);
}

void CRecentFileList::ReadList(const platform::ProfileFile& profile) {
  std::vector<std::string> names;
  for (int i = 0; i < GetSize(); ++i) {
    std::string name = profile.GetString(kSection, EntryKey(i), "");
    if (!name.empty()) names.push_back(std::move(name));
  }
  names.resize(m_arrNames.size());
  m_arrNames = std::move(names);
}

void CRecentFileList::WriteList(platform::ProfileFile& profile) const {
  profile.DeleteSection(kSection);
  for (int i = 0; i < GetSize(); ++i) {
    if (!(*this)[i].empty()) profile.WriteString(kSection, EntryKey(i), (*this)[i]);
  }
}

std::string RecentFileDisplayName(std::string_view path, std::string_view currentDirectory,
                                  std::size_t maxLength) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string(path);
  const std::string_view fileName = path.substr(slash + 1);
  const std::string_view folder = slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
  if (!currentDirectory.empty() &&
      WithoutTrailingSlashes(folder) == WithoutTrailingSlashes(currentDirectory)) {
    return std::string(fileName);
  }
  if (CharacterCount(path) <= maxLength) return std::string(path);

  // Grow the tail a whole component at a time, from the file name backwards.
  constexpr std::string_view kEllipsis = "/...";
  std::string_view tail = path.substr(slash);  // "/name"
  if (slash == 0 || CharacterCount(kEllipsis) + CharacterCount(tail) > maxLength) {
    return std::string(fileName);
  }
  std::size_t start = slash;
  while (start > 0) {
    const std::size_t previous = path.rfind('/', start - 1);
    if (previous == 0 || previous == std::string_view::npos) break;
    const std::string_view longer = path.substr(previous);
    if (CharacterCount(kEllipsis) + CharacterCount(longer) > maxLength) break;
    tail = longer;
    start = previous;
  }
  return std::string(kEllipsis) + std::string(tail);
}

}  // namespace fw
