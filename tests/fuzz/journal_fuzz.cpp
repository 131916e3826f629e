// Feeds arbitrary bytes to the recovery journal's reader. It must take the records up to
// the first bad one and stop there: what it read must be read the same from its valid
// length alone, and the list it brought back must write as a journal and read back to the
// same title, path and items. The sanitizers catch reads outside the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/journal_format.h"

namespace {

// A journal may start from a list file: the one named "base" holds two items, any other is
// gone or changed.
bool LoadBase(const std::string& path, const platform::FileIdentity&, doc::CClipList& list) {
  if (path != "base") return false;
  list.AddTail("a");
  list.AddTail("b");
  return true;
}

bool SameList(const doc::CClipList& a, const doc::CClipList& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i) {
    if (a.GetAt(i) != b.GetAt(i)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  doc::JournalContent content;
  if (doc::ReadJournal(bytes, content, LoadBase) != doc::JournalReadStatus::Ok) return 0;
  if (content.validLength > size) std::abort();

  doc::JournalContent prefix;
  if (doc::ReadJournal(bytes.substr(0, content.validLength), prefix, LoadBase) !=
          doc::JournalReadStatus::Ok ||
      prefix.validLength != content.validLength || !SameList(prefix.list, content.list)) {
    std::abort();
  }

  const std::string rewritten = doc::JournalHeaderRecord(content.title, content.path) +
                                doc::JournalSnapshotRecord(content.list);
  doc::JournalContent again;
  if (doc::ReadJournal(rewritten, again) != doc::JournalReadStatus::Ok ||
      again.validLength != rewritten.size() || again.title != content.title ||
      again.path != content.path || !SameList(again.list, content.list)) {
    std::abort();
  }
  return 0;
}
