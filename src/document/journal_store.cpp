#include "document/journal_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/journal_file.h"

namespace doc {
namespace {

long long ModifiedTime(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return 0;
  return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

}  // namespace

JournalStore::JournalStore(std::string folder) : m_strFolder(std::move(folder)) {}

std::unique_ptr<ListJournal> JournalStore::Start(const CClipList& list, const std::string& title,
                                                 const std::string& path,
                                                 std::string& failedPath) {
  if (m_bStopped) return nullptr;
  int error = 0;
  std::unique_ptr<platform::JournalFile> file =
      platform::JournalFile::Create(m_strFolder, kJournalSuffix, error);
  if (!file) {
    failedPath = m_strFolder;
    return nullptr;
  }
  return std::make_unique<ListJournal>(list, std::move(file), title, path);
}

std::unique_ptr<ListJournal> JournalStore::Continue(const CClipList& list,
                                                    RecoveredList& recovered) {
  return std::make_unique<ListJournal>(list, std::move(recovered.file),
                                       std::move(recovered.content.title),
                                       std::move(recovered.content.path),
                                       recovered.content.validLength);
}

LeftJournals JournalStore::TakeLeftJournals() {
  std::vector<platform::LeftJournalFile> files =
      platform::ClaimLeftJournalFiles(m_strFolder, kJournalSuffix);
  std::vector<std::pair<long long, std::unique_ptr<RecoveredList>>> found;
  LeftJournals left;
  for (platform::LeftJournalFile& file : files) {
    auto recovered = std::make_unique<RecoveredList>();
    const JournalReadStatus status =
        file.fd < 0 ? JournalReadStatus::Unreadable : ReadJournal(file.content, recovered->content);
    std::string().swap(file.content);
    if (status == JournalReadStatus::Unreadable) {
      left.unreadable.push_back(platform::SetJournalFileAside(file.path));
      if (file.fd >= 0) ::close(file.fd);
      continue;
    }
    if (status == JournalReadStatus::Empty) {
      // Made by a run that ended before it wrote anything: there is nothing to bring back.
      ::unlink(file.path.c_str());
      ::close(file.fd);
      continue;
    }
    const long long changed = ModifiedTime(file.fd);
    recovered->file = platform::JournalFile::Adopt(file.fd, std::move(file.path),
                                                   recovered->content.validLength);
    found.emplace_back(changed, std::move(recovered));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& entry : found) left.lists.push_back(std::move(entry.second));
  return left;
}

bool JournalStore::Stop() { return !std::exchange(m_bStopped, true); }

}  // namespace doc
