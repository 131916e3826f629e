#include "document/journal_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "document/clip_list_serializer.h"
#include "framework/file_loader.h"
#include "platform/journal_file.h"

namespace doc {
namespace {

long long ModifiedTime(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return 0;
  return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

}  // namespace

bool LoadJournalBase(const std::string& path, const platform::FileIdentity& file,
                     CClipList& list) {
  platform::FileIdentity now;
  if (!platform::IdentifyFile(path, now) || now != file) return false;
  try {
    fw::LoadFile(path, [&list](fw::CArchive& ar) { ReadClipList(ar, list); });
  } catch (...) {
    return false;
  }
  // Not rewritten while it was read.
  return platform::IdentifyFile(path, now) && now == file;
}

JournalStore::JournalStore(std::string folder) : m_strFolder(std::move(folder)) {}

std::unique_ptr<platform::JournalFile> JournalStore::MakeFile(int& error) {
  error = 0;
  if (m_bStopped) return nullptr;
  try {
    return platform::JournalFile::Create(m_strFolder, kJournalSuffix);
  } catch (const std::system_error& failure) {
    // No thread to write it.
    error = failure.code().value();
    return nullptr;
  }
}

std::unique_ptr<ListJournal> JournalStore::Arm(const CClipList& list, JournalBase base) {
  if (m_bStopped) return nullptr;
  return std::make_unique<ListJournal>(list, *this, std::move(base));
}

std::unique_ptr<ListJournal> JournalStore::Start(const CClipList& list, const std::string& title,
                                                 const std::string& path,
                                                 std::string& failedPath) {
  if (m_bStopped) return nullptr;
  JournalBase base;
  base.title = title;
  base.path = path;
  auto journal = std::make_unique<ListJournal>(list, *this, std::move(base));
  if (journal->StartWithSnapshot()) return journal;
  if (journal->Error() != 0) failedPath = m_strFolder;
  return nullptr;
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
        file.fd < 0 ? JournalReadStatus::Unreadable : ReadJournal(file.content, recovered->content, LoadJournalBase);
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
