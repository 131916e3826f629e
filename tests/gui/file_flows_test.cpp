// Lists in files: Open, Save, Save As and the text-file commands through the real
// document, template and file code, with the file dialogs answered from a script.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/doc_manager.h"
#include "framework/mdi_child_wnd.h"
#include "framework/win_app.h"
#include "platform/file_dialog.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

using Texts = std::vector<std::string>;

class FileFlowsTest : public testing_support::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    platform::SetFileDialogHook([this](const platform::FileDialogRequest& request) {
      m_requests.push_back(request);
      std::optional<QString> answer;
      if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.erase(m_answers.begin());
      }
      return answer;
    });
  }
  void TearDown() override {
    platform::SetFileDialogHook(nullptr);
    AppTest::TearDown();
  }

  QString FilePath(const char* name) const { return m_files.filePath(QString::fromUtf8(name)); }
  void WriteFile(const char* name, const QByteArray& bytes) const {
    QFile file(FilePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadFile(const char* name) const {
    QFile file(FilePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  // Runs `id` with the file dialog answering `path` (nullopt: cancelled).
  void RunWithDialog(unsigned id, std::optional<QString> path) {
    m_answers.push_back(path);
    Run(id);
    ProcessEvents();
  }
  int DocumentCount() const {
    return static_cast<int>(m_pApp->DocManager().GetDocuments().size());
  }

  QTemporaryDir m_files;
  std::vector<std::optional<QString>> m_answers;
  std::vector<platform::FileDialogRequest> m_requests;
};

const QByteArray kTwoItems("\x02\x00\x03" "abc" "\x02" "de", 9);

TEST_F(FileFlowsTest, SaveAsksForANameThenWritesTheListAndRetitles) {
  m_strStartClipText = "de";
  Start();
  m_pClipboard->SimulateCopy("abc");
  // captured at the head: abc, de; modified
  ASSERT_EQ(Items(ActiveDoc()), (Texts{"abc", "de"}));

  RunWithDialog(res::ID_FILE_SAVE, FilePath("list.tvn"));
  ASSERT_EQ(m_requests.size(), 1u);
  const platform::FileDialogRequest& request = m_requests.front();
  EXPECT_TRUE(request.save);
  EXPECT_EQ(request.title, QStringLiteral("名前を付けて保存"));
  EXPECT_EQ(request.proposedName, QStringLiteral("Tlvn1.TVN"));
  EXPECT_EQ(request.filters,
            (QStringList{QStringLiteral("Tolvane Files (*.tvn)"), QStringLiteral("すべてのﾌｧｲﾙ (*.*)")}));
  EXPECT_EQ(request.defaultSuffix, QStringLiteral("TVN"));

  EXPECT_EQ(ReadFile("list.tvn"), kTwoItems);
  EXPECT_EQ(ActiveDoc()->GetTitle(), QStringLiteral("list.tvn"));
  EXPECT_FALSE(ActiveDoc()->IsModified());
  EXPECT_EQ(ActiveDoc()->GetPathName(), QDir(m_files.path()).canonicalPath() + "/list.tvn");
  EXPECT_FALSE(Enabled(res::ID_FILE_SAVE));  // nothing to save until the list changes

  // Save under the known name asks nothing; Save As asks again, and cancelling keeps all.
  m_pClipboard->SimulateCopy("new");
  RunWithDialog(res::ID_FILE_SAVE, std::nullopt);
  EXPECT_EQ(m_requests.size(), 1u);
  EXPECT_EQ(ReadFile("list.tvn").size(), kTwoItems.size() + 4);
  RunWithDialog(res::ID_FILE_SAVE_AS, std::nullopt);
  EXPECT_EQ(m_requests.size(), 2u);
  EXPECT_EQ(m_requests.back().proposedName, ActiveDoc()->GetPathName());
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(FileFlowsTest, OpenReadsAListOnceAndRefusesWhatIsNotOne) {
  WriteFile("two.tvn", kTwoItems);
  WriteFile("empty.tvn", QByteArray());
  WriteFile("cut.tvn", kTwoItems.left(6));
  Start();
  const int before = DocumentCount();
  Frame()->activateWindow();  // as after a second start, which raises the window first

  RunWithDialog(res::ID_FILE_OPEN, FilePath("two.tvn"));
  EXPECT_EQ(m_requests.back().title, QStringLiteral("開く"));
  EXPECT_FALSE(m_requests.back().save);
  doc::CTolvaneDoc* two = ActiveDoc();
  EXPECT_EQ(Items(two), (Texts{"abc", "de"}));
  EXPECT_EQ(two->GetTitle(), QStringLiteral("two.tvn"));
  EXPECT_EQ(ActiveChild()->windowTitle(), QStringLiteral("two.tvn"));
  EXPECT_EQ(ItemCountText(), QStringLiteral("項目数 :     2"));

  // Opening it again activates its window; nothing is read twice.
  NewDocument();
  RunWithDialog(res::ID_FILE_OPEN, FilePath("two.tvn"));
  EXPECT_EQ(ActiveDoc(), two);
  EXPECT_EQ(DocumentCount(), before + 2);

  RunWithDialog(res::ID_FILE_OPEN, FilePath("empty.tvn"));
  EXPECT_TRUE(ActiveDoc()->GetItemList().IsEmpty());
  EXPECT_FALSE(ActiveDoc()->IsModified());
  EXPECT_EQ(m_pMessages->Count(), 0);

  // A cut file and a missing one: their message, and no document.
  RunWithDialog(res::ID_FILE_OPEN, FilePath("cut.tvn"));
  EXPECT_EQ(m_pMessages->LastText(), QStringLiteral("予期しないﾌｧｲﾙ形式です。"));
  const QString missing = FilePath("gone.tvn");
  EXPECT_EQ(m_pApp->DocManager().OpenDocumentFile(missing), nullptr);
  ProcessEvents();
  EXPECT_EQ(m_pMessages->LastText(), missing + QStringLiteral(" が見つかりません。"));
  EXPECT_EQ(DocumentCount(), before + 3);

  // The untitled counter counts new lists only: the next is Tlvn3.
  EXPECT_EQ(NewDocument()->GetTitle(), QStringLiteral("Tlvn3"));
}

TEST_F(FileFlowsTest, FailedSaveKeepsTheListModifiedAndTheOldFile) {
  m_strStartClipText = "item";
  Start();
  const QString target = FilePath("gone/list.tvn");
  RunWithDialog(res::ID_FILE_SAVE_AS, target);
  EXPECT_TRUE(ActiveDoc()->IsModified());
  EXPECT_TRUE(ActiveDoc()->GetPathName().isEmpty());
  ASSERT_EQ(m_pMessages->Count(), 1);
  EXPECT_TRUE(m_pMessages->LastText().startsWith(target)) << m_pMessages->LastText().toStdString();
  EXPECT_EQ(QDir(m_files.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
}

TEST_F(FileFlowsTest, TextFilesGoInAndOut) {
  WriteFile("lines.txt", QByteArray("one\r\ntwo\n\none\rthree"));
  m_strStartClipText = "two";
  Start();
  RunWithDialog(res::ID_FILE_READ_TEXT, FilePath("lines.txt"));
  EXPECT_EQ(Items(ActiveDoc()), (Texts{"two", "one", "three"}));
  EXPECT_TRUE(ActiveDoc()->IsModified());

  RunWithDialog(res::ID_FILE_SAVE_TEXT, FilePath("out.txt"));
  EXPECT_EQ(m_requests.back().proposedName, QStringLiteral("Tlvn1.txt"));
  EXPECT_EQ(ReadFile("out.txt"), QByteArray("two\none\nthree\n"));
  EXPECT_TRUE(ActiveDoc()->IsModified());

  // With no list open, a new one named after the file receives the lines.
  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  RunWithDialog(res::ID_FILE_READ_TEXT, FilePath("lines.txt"));
  ASSERT_NE(ActiveDoc(), nullptr);
  EXPECT_EQ(ActiveDoc()->GetTitle(), QStringLiteral("lines.txt *"));
  EXPECT_EQ(Items(ActiveDoc()), (Texts{"two", "one", "three"}));
}

}  // namespace
