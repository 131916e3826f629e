// The recovery journal: its record reader against torn and damaged tails, and the files
// that runs leave behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "document/clip_list_serializer.h"
#include "document/journal_format.h"
#include "document/journal_store.h"
#include "document/list_journal.h"
#include "framework/safe_file_writer.h"
#include "support/list_texts.h"

namespace doc {
namespace {

using testing_support::ListTexts;
using testing_support::Texts;

// A journal of five records: header, snapshot {a, b}, then insert c at the head, remove
// the last item and replace the head: {C, a}. Each record's end is kept.
struct SampleJournal {
  std::string bytes;
  std::vector<std::size_t> ends;
  SampleJournal() {
    CClipList start;
    start.AddTail("a");
    start.AddTail("b");
    for (const std::string& record :
         {JournalHeaderRecord("Tlvn1", "/home/u/list.tvn"), JournalSnapshotRecord(start),
          JournalInsertRecord(0, "c"), JournalRemoveRecord(2), JournalReplaceRecord(0, "C")}) {
      bytes += record;
      ends.push_back(bytes.size());
    }
  }
};

TEST(JournalReaderTest, TakesTheRecordsBeforeATornOrDamagedOne) {
  const SampleJournal sample;
  const std::size_t last = sample.ends[3];  // the start of the replace record
  struct Case {
    const char* name;
    std::function<std::string(std::string)> damage;
    Texts items;
    std::size_t validLength;
  };
  const Case cases[] = {
      {"whole", [](std::string b) { return b; }, {"C", "a"}, sample.ends[4]},
      {"last record cut short", [](std::string b) { b.pop_back(); return b; }, {"c", "a"}, last},
      {"only the frame of the last record", [&](std::string b) { return b.substr(0, last + 8); },
       {"c", "a"}, last},
      {"last payload changed", [](std::string b) { b.back() ^= 0x20; return b; }, {"c", "a"}, last},
      {"last length too large", [&](std::string b) { b[last + 3] = 0x7f; return b; }, {"c", "a"},
       last},
      {"zeros after a power cut", [](std::string b) { return b + std::string(4096, '\0'); },
       {"C", "a"}, sample.ends[4]},
      {"a removal the list cannot hold",
       [](std::string b) { return b + JournalRemoveRecord(2) + JournalClearRecord(); }, {"C", "a"},
       sample.ends[4]},
      {"a replacement in an emptied list",
       [](std::string b) { return b + JournalClearRecord() + JournalReplaceRecord(0, "x"); }, {},
       sample.ends[4] + JournalClearRecord().size()},
      {"a second header",
       [](std::string b) { return b + JournalHeaderRecord("x", "") + JournalClearRecord(); },
       {"C", "a"}, sample.ends[4]},
      {"snapshot damaged", [&](std::string b) { b[sample.ends[0] + 12] ^= 1; return b; }, {},
       sample.ends[0]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JournalContent content;
    ASSERT_EQ(ReadJournal(c.damage(sample.bytes), content), JournalReadStatus::Ok);
    EXPECT_EQ(content.title, "Tlvn1");
    EXPECT_EQ(content.path, "/home/u/list.tvn");
    EXPECT_EQ(ListTexts(content.list), c.items);
    EXPECT_EQ(content.validLength, c.validLength);
  }
}

TEST(JournalReaderTest, TheChecksumIsZlibsCrc32) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(std::string(1000, 'a')), 0x9A38DA03u);
}

TEST(JournalReaderTest, AJournalWithoutAReadableHeaderIsUnreadableAndAnEmptyOneEmpty) {
  const SampleJournal sample;
  struct Case {
    const char* name;
    std::string bytes;
    JournalReadStatus status;
  };
  const Case cases[] = {
      {"no bytes", "", JournalReadStatus::Empty},
      {"header cut short", sample.bytes.substr(0, sample.ends[0] - 1),
       JournalReadStatus::Unreadable},
      {"header damaged", std::string(sample.bytes).replace(10, 1, "X"),
       JournalReadStatus::Unreadable},
      {"another file", "TLVN list, not a journal", JournalReadStatus::Unreadable},
      {"a change first", JournalClearRecord() + sample.bytes, JournalReadStatus::Unreadable},
      {"starts from a file, read with no loader",
       JournalHeaderRecord("", "/l.tvn") + JournalBaseFileRecord("/l.tvn", {}),
       JournalReadStatus::Unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JournalContent content;
    EXPECT_EQ(ReadJournal(c.bytes, content), c.status);
  }
}

class JournalFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_strFolder = testing::TempDir() + "tolvane-journal-XXXXXX";
    ASSERT_NE(::mkdtemp(m_strFolder.data()), nullptr);
  }
  void TearDown() override { std::system(("rm -rf '" + m_strFolder + "'").c_str()); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(m_strFolder + "/" + name, std::ios::binary) << bytes;
  }

  std::string m_strFolder;
};

TEST_F(JournalFilesTest, AJournalHeldByARunningProgramIsNotTakenAndALeftOneIs) {
  JournalStore store(m_strFolder);
  CClipList list;
  list.AddTail("first");
  std::string failed;
  auto journal = store.Start(list, "Tlvn1", "", failed);
  ASSERT_TRUE(journal);
  list.AddHead("second");
  list.SetAt(1, "first, edited");
  journal->Flush();

  // Another start while the journal is held (its lock works within one process too).
  EXPECT_TRUE(JournalStore(m_strFolder).TakeLeftJournals().lists.empty());

  journal->StopRecording();
  journal.reset();  // as a killed run leaves it: the file stays, unlocked
  LeftJournals left = JournalStore(m_strFolder).TakeLeftJournals();
  ASSERT_EQ(left.lists.size(), 1u);
  EXPECT_EQ(left.lists[0]->content.title, "Tlvn1");
  EXPECT_EQ(ListTexts(left.lists[0]->content.list), (Texts{"second", "first, edited"}));
  // Now held by this start.
  EXPECT_TRUE(JournalStore(m_strFolder).TakeLeftJournals().lists.empty());
}

TEST_F(JournalFilesTest, UnreadableJournalsAreSetAsideAndEmptyOnesRemoved) {
  WriteFile("broken.journal", "not a journal at all");
  WriteFile("empty.journal", "");
  WriteFile("other.txt", "not ours");
  WriteFile("made.journal.new", "");  // a run ended before naming it
  const LeftJournals left = JournalStore(m_strFolder).TakeLeftJournals();
  EXPECT_TRUE(left.lists.empty());
  ASSERT_EQ(left.unreadable.size(), 1u);
  EXPECT_EQ(left.unreadable[0], m_strFolder + "/broken.journal.unreadable");
  EXPECT_EQ(ReadFile(left.unreadable[0]), "not a journal at all");
  EXPECT_NE(::access((m_strFolder + "/empty.journal").c_str(), F_OK), 0);
  EXPECT_EQ(::access((m_strFolder + "/other.txt").c_str(), F_OK), 0);
  EXPECT_NE(::access((m_strFolder + "/made.journal.new").c_str(), F_OK), 0);
  // Set aside once, named once.
  EXPECT_TRUE(JournalStore(m_strFolder).TakeLeftJournals().unreadable.empty());
}

TEST_F(JournalFilesTest, AJournalPastTwiceItsListIsRewrittenAsOneSnapshotAndGoesOn) {
  JournalStore store(m_strFolder);
  CClipList list;
  list.AddTail("x");
  std::string failed;
  auto journal = store.Start(list, "Tlvn2", "", failed);
  const std::string text(1000, 'y');
  for (int i = 0; 1000 * i < 2 * static_cast<int>(kMinCompactedJournalSize); ++i) {
    list.SetAt(0, text + std::to_string(i));
  }
  list.AddTail("after");
  journal->Flush();
  const std::string bytes = ReadFile(journal->FilePath());
  EXPECT_LT(bytes.size(), kMinCompactedJournalSize);
  JournalContent content;
  ASSERT_EQ(ReadJournal(bytes, content), JournalReadStatus::Ok);
  EXPECT_EQ(ListTexts(content.list), ListTexts(list));
  EXPECT_EQ(content.validLength, bytes.size());

  journal->End();
  EXPECT_NE(::access(journal->FilePath().c_str(), F_OK), 0);
}

// A saved list's journal refers to its file instead of copying the list; the file's
// thread then copies the file's items in, and the journal no longer needs the file.
TEST_F(JournalFilesTest, ASavedListsJournalStartsFromItsFileWhileTheFileIsAsSaved) {
  const std::string saved = m_strFolder + "/list.tvn";
  CClipList list;
  list.AddTail("a");
  list.AddTail("b");
  auto save = [&] {
    fw::SaveFileSafely(saved, [&list](fw::CArchive& ar) { WriteClipList(ar, list); });
  };
  save();
  JournalBase base;
  base.path = saved;
  base.kind = JournalBase::Kind::File;
  ASSERT_TRUE(platform::IdentifyFile(saved, base.file));
  const std::string left = JournalHeaderRecord("", saved) +
                           JournalBaseFileRecord(saved, base.file) + JournalInsertRecord(0, "c");

  JournalStore store(m_strFolder);
  auto journal = store.Arm(list, base);
  EXPECT_FALSE(journal->HasStarted());
  list.AddHead("c");
  journal->Flush();
  JournalContent content;
  ASSERT_EQ(ReadJournal(ReadFile(journal->FilePath()), content), JournalReadStatus::Ok);
  EXPECT_EQ(ListTexts(content.list), (Texts{"c", "a", "b"}));
  journal->End();

  // A run killed before that copy leaves the reference: good while the file is as saved.
  WriteFile("left.journal", left);
  LeftJournals found = JournalStore(m_strFolder).TakeLeftJournals();
  ASSERT_EQ(found.lists.size(), 1u);
  EXPECT_EQ(ListTexts(found.lists[0]->content.list), (Texts{"c", "a", "b"}));
  found.lists[0]->file->Remove();

  list.AddTail("saved again");
  save();
  WriteFile("left.journal", left);
  EXPECT_EQ(JournalStore(m_strFolder).TakeLeftJournals().unreadable.size(), 1u);
  // A journal armed on the file as it was copies the list instead.
  auto stale = store.Arm(list, base);
  list.AddHead("d");
  stale->Flush();
  EXPECT_EQ(stale->Error(), 0);
  JournalContent copied;
  ASSERT_EQ(ReadJournal(ReadFile(stale->FilePath()), copied), JournalReadStatus::Ok);
  EXPECT_EQ(ListTexts(copied.list), ListTexts(list));
  stale->End();
}

TEST_F(JournalFilesTest, ARecoveredJournalLosesItsTornTailAndGoesOnAfterIt) {
  const SampleJournal sample;
  WriteFile("left.journal", sample.bytes.substr(0, sample.bytes.size() - 3));
  LeftJournals left = JournalStore(m_strFolder).TakeLeftJournals();
  ASSERT_EQ(left.lists.size(), 1u);
  CClipList list;
  for (const std::string& text : ListTexts(left.lists[0]->content.list)) list.AddTail(text);
  auto journal = JournalStore::Continue(list, *left.lists[0]);
  list.AddHead("d");
  journal->Flush();
  JournalContent content;
  ASSERT_EQ(ReadJournal(ReadFile(m_strFolder + "/left.journal"), content), JournalReadStatus::Ok);
  EXPECT_EQ(ListTexts(content.list), (Texts{"d", "c", "a"}));
}

}  // namespace
}  // namespace doc
