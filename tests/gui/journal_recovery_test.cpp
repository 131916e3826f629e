// Recovery journals in the running program: lists left by a run that did not end normally
// come back at start, and the journal of a list ends with every way a user leaves it.
#include <QDir>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <fstream>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/journal_format.h"
#include "document/journal_store.h"
#include "document/list_journal.h"
#include "document/tolvane_doc.h"
#include "framework/doc_manager.h"
#include "platform/journal_file.h"
#include "resources/command_ids.h"
#include "resources/messages.h"
#include "support/app_fixture.h"
#include "support/file_size_limit.h"

namespace {

using Texts = std::vector<std::string>;

class JournalRecoveryTest : public testing_support::AppTest {
 protected:
  static QDir Folder() { return QDir(QString::fromStdString(platform::JournalFolder())); }
  // The journal files once every list's journal has written what it has (files are made
  // on the journals' own threads).
  QStringList Journals() const {
    for (doc::CTolvaneDoc* list : m_pApp ? Lists() : std::vector<doc::CTolvaneDoc*>{}) {
      if (list->Journal()) list->Journal()->Flush();
    }
    return Folder().entryList({QStringLiteral("*.journal")}, QDir::Files);
  }
  // A journal as a killed run leaves it.
  static void LeaveJournal(const char* name, const std::string& title, const std::string& path,
                           const Texts& items) {
    Folder().mkpath(QStringLiteral("."));
    doc::CClipList list;
    for (const std::string& item : items) list.AddTail(item);
    std::ofstream(Folder().filePath(QString::fromLatin1(name)).toStdString(), std::ios::binary)
        << doc::JournalHeaderRecord(title, path) << doc::JournalSnapshotRecord(list)
        << doc::JournalInsertRecord(0, "newest");
  }
  std::vector<doc::CTolvaneDoc*> Lists() const {
    std::vector<doc::CTolvaneDoc*> lists;
    for (fw::CDocument* d : m_pApp->DocManager().GetDocuments()) {
      lists.push_back(dynamic_cast<doc::CTolvaneDoc*>(d));
    }
    return lists;
  }
};

TEST_F(JournalRecoveryTest, ListsLeftByAKilledRunComeBackBeforeTheFirstList) {
  const QString saved = m_dataDir.filePath(QStringLiteral("saved.tvn"));
  LeaveJournal("a.journal", "Tlvn3", "", {"x", "y"});
  LeaveJournal("b.journal", "saved.tvn", saved.toStdString(), {"p"});
  Start();

  const std::vector<doc::CTolvaneDoc*> lists = Lists();
  ASSERT_EQ(lists.size(), 3u);
  std::map<QString, Texts> recovered;
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(lists[i]->IsModified());
    EXPECT_TRUE(lists[i]->Journal());
    recovered[lists[i]->GetTitle()] = Items(lists[i]);
  }
  EXPECT_EQ(recovered[QStringLiteral("Tlvn3 *")], (Texts{"newest", "x", "y"}));
  EXPECT_EQ(recovered[QStringLiteral("saved.tvn *")], (Texts{"newest", "p"}));
  EXPECT_EQ(m_pApp->DocManager().FindDocumentByPath(saved)->GetTitle(), "saved.tvn *");
  EXPECT_EQ(ActiveDoc(), lists[2]);
  // A new list does not take the name of one that came back.
  EXPECT_EQ(ActiveDoc()->GetTitle(), "Tlvn4");
  EXPECT_EQ(Frame()->StatusBar()->currentMessage(),
            "前回正常に終了しなかったため、未保存のﾘｽﾄを 2個復元しました。");
  // Held by this run: another start would not take them.
  EXPECT_TRUE(doc::JournalStore(platform::JournalFolder()).TakeLeftJournals().lists.empty());

  Exit();
  EXPECT_EQ(m_pMessages->Count(), 0);
  EXPECT_TRUE(Journals().isEmpty());
}

TEST_F(JournalRecoveryTest, AJournalEndsWithSaveCloseAndExitWithoutAQuestion) {
  Start();
  m_pClipboard->SimulateCopy("one");
  ASSERT_EQ(Journals().size(), 1);
  ASSERT_TRUE(ActiveDoc()->DoSave(m_dataDir.filePath(QStringLiteral("list.tvn"))));
  EXPECT_TRUE(Journals().isEmpty());

  m_pClipboard->SimulateCopy("two");
  NewDocument();
  m_pClipboard->SimulateCopy("three");
  EXPECT_EQ(Journals().size(), 2);
  ASSERT_TRUE(Run(res::ID_FILE_CLOSE));
  EXPECT_EQ(Journals().size(), 1);
  Exit();
  EXPECT_TRUE(Journals().isEmpty());
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(JournalRecoveryTest, AnUnreadableJournalIsNamedAndKept) {
  Folder().mkpath(QStringLiteral("."));
  std::ofstream(Folder().filePath(QStringLiteral("bad.journal")).toStdString()) << "garbage";
  Start();
  const QString aside = Folder().filePath(QStringLiteral("bad.journal.unreadable"));
  ASSERT_EQ(m_pMessages->Count(), 1);
  EXPECT_EQ(m_pMessages->LastText(),
            "ｼﾞｬｰﾅﾙ ﾌｧｲﾙ " + aside +
                " を読み込めないため、ﾘｽﾄを復元できませんでした。ﾌｧｲﾙは削除せずに残してあります。");
  EXPECT_TRUE(QFile::exists(aside));
  EXPECT_EQ(Lists().size(), 1u);
}

TEST_F(JournalRecoveryTest, AFailedJournalWriteStopsJournallingWithOneMessage) {
  Start();
  m_pClipboard->SimulateCopy("small");
  doc::CTolvaneDoc* list = ActiveDoc();
  list->Journal()->Flush();  // the file is made on the journal's thread
  const std::string journal = list->Journal()->FilePath();
  {
    const testing_support::FileSizeLimit limit(64 * 1024);
    m_pClipboard->SimulateCopy(std::string(100 * 1024, 'b'));
    list->Journal()->Flush();
    m_pClipboard->SimulateCopy("after the failure");
    m_pClipboard->SimulateCopy("and another");
    ProcessEvents();
  }
  ASSERT_EQ(m_pMessages->Count(), 1);
  EXPECT_EQ(m_pMessages->LastText(),
            "ｼﾞｬｰﾅﾙ ﾌｧｲﾙ " + QString::fromStdString(journal) +
                " に書き込めないため、これ以降ｼﾞｬｰﾅﾙを記録しません。"
                "ﾃﾞｨｽｸの空き容量を確認してください。");
  EXPECT_EQ(Items(list).front(), "and another");
  NewDocument();
  m_pClipboard->SimulateCopy("in a new list");
  EXPECT_FALSE(ActiveDoc()->Journal());
  EXPECT_EQ(m_pMessages->Count(), 1);
}

}  // namespace
