// Recent files, the command line, another start's requests and dropped files, through a
// started application.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/command_bars.h"
#include "framework/doc_manager.h"
#include "platform/instance_request.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

using testing_support::AppTest;

class RecentFilesTest : public AppTest {
 protected:
  QString FilePath(const QString& name) const { return m_files.filePath(name); }
  QString MakeEmptyFile(const QString& name) const {
    QFile file(FilePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return FilePath(name);
  }
  fw::CDocManager& Docs() const { return m_pApp->DocManager(); }
  std::vector<std::string> RecentEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < Docs().RecentFileList().GetSize(); ++i) {
      entries.push_back(Docs().RecentFileList()[i]);
    }
    return entries;
  }
  // The visible items of the File menu as it opens.
  std::vector<QAction*> FileMenuItems() const {
    QMenu* file = Frame()->GetCommandBars()->Popups().front();
    Frame()->GetCommandBars()->UpdateMenu(file);
    std::vector<QAction*> items;
    for (QAction* action : file->actions()) {
      if (action->isVisible() && !action->isSeparator()) items.push_back(action);
    }
    return items;
  }
  QAction* FileMenuItem(const QString& text) const {
    for (QAction* action : FileMenuItems()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }
  // Whether documents are read from files yet: an empty file opens as an empty list.
  bool LoadingWorks() const {
    testing_support::FakeClipboardPort clipboard;
    doc::ClipboardCapture capture(clipboard);
    doc::CTolvaneDoc probe(capture);
    return probe.OnOpenDocument(MakeEmptyFile(QStringLiteral("probe.tvn")));
  }
  std::vector<QString> OpenPaths() const {
    std::vector<QString> paths;
    for (fw::CDocument* doc : Docs().GetDocuments()) paths.push_back(doc->GetPathName());
    return paths;
  }

  QTemporaryDir m_files;
};

TEST_F(RecentFilesTest, MenuShowsEntriesInPlaceOfThePlaceholder) {
  Start();
  QAction* placeholder = FileMenuItem(QStringLiteral("最新のﾌｧｲﾙ"));
  ASSERT_NE(placeholder, nullptr);
  EXPECT_FALSE(placeholder->isEnabled());

  const QString far = QStringLiteral("/srv/shared/teams/clipboard/lists/R&D notes.tvn");
  Docs().AddToRecentFileList(far);
  Docs().AddToRecentFileList(QDir::current().filePath(QStringLiteral("here.tvn")));
  EXPECT_EQ(FileMenuItem(QStringLiteral("最新のﾌｧｲﾙ")), nullptr);
  QAction* first = FileMenuItem(QStringLiteral("&1 here.tvn"));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isEnabled());
  EXPECT_EQ(first->statusTip(), QStringLiteral("指定のﾌｧｲﾙを開きます。"));
  EXPECT_NE(FileMenuItem(QStringLiteral("&2 /.../lists/R&&D notes.tvn")), nullptr);
  EXPECT_TRUE(Enabled(res::ID_FILE_MRU_FILE1));
}

TEST_F(RecentFilesTest, ListIsReadAtStartAndWrittenAtExitWithOnlyNonEmptyKeys) {
  WriteSettings(
      "[Recent File List]\nFile1=/lists/a.tvn\nFile2=\nFile3=/lists/c.tvn\n"
      "[Settings]\nPreviewPages=0\n");
  Start();
  EXPECT_EQ(RecentEntries(), (std::vector<std::string>{"/lists/a.tvn", "/lists/c.tvn", "", ""}));
  Docs().AddToRecentFileList(QStringLiteral("/lists/new.tvn"));
  Exit();
  const std::string ini = ReadSettings();
  EXPECT_NE(ini.find("[Recent File List]\nFile1=/lists/new.tvn\nFile2=/lists/a.tvn\n"
                     "File3=/lists/c.tvn\n"),
            std::string::npos)
      << ini;
  EXPECT_EQ(ini.find("File4"), std::string::npos) << ini;
}

TEST_F(RecentFilesTest, VanishedRecentFileIsReportedAndLeavesTheList) {
  const std::string gone = FilePath(QStringLiteral("gone.tvn")).toStdString();
  WriteSettings("[Recent File List]\nFile1=" + gone + "\nFile2=/lists/kept.tvn\n");
  Start();
  m_pMessages->Clear();
  Run(res::ID_FILE_MRU_FILE1);
  EXPECT_EQ(RecentEntries(), (std::vector<std::string>{"/lists/kept.tvn", "", "", ""}));
  if (!LoadingWorks()) GTEST_SKIP() << "documents are not read from files in this build";
  EXPECT_EQ(m_pMessages->LastText(), QString::fromStdString(gone) + QStringLiteral(" が見つかりません。"));
}

TEST_F(RecentFilesTest, OpenedFileComesFirstAndReopensFromTheMenu) {
  Start();
  if (!LoadingWorks()) GTEST_SKIP() << "documents are not read from files in this build";
  const QString a = MakeEmptyFile(QStringLiteral("a.tvn"));
  const QString b = MakeEmptyFile(QStringLiteral("b.tvn"));
  ASSERT_NE(Docs().OpenDocumentFile(a), nullptr);
  ASSERT_NE(Docs().OpenDocumentFile(b), nullptr);
  EXPECT_EQ(RecentEntries(), (std::vector<std::string>{b.toStdString(), a.toStdString(), "", ""}));
  Docs().FindDocumentByPath(a)->OnCmdMsg(res::ID_FILE_CLOSE, nullptr);
  ProcessEvents();
  Run(res::ID_FILE_MRU_FILE2);
  ASSERT_NE(ActiveDoc(), nullptr);
  EXPECT_EQ(ActiveDoc()->GetPathName(), a);
}

TEST_F(RecentFilesTest, CommandLine) {
  const QString missing = FilePath(QStringLiteral("missing.tvn"));
  struct Case {
    QStringList arguments;
    bool started;
    int exitCode;  // when not started
    int documents;
    QString lastMessage;
  };
  const Case cases[] = {
      {{missing}, true, 0, 1, {}},
      {{QStringLiteral("-dde")}, true, 0, 0, {}},
      {{QStringLiteral("-p"), missing}, false, 1, 0, {}},
      {{QStringLiteral("-pt"), missing, QStringLiteral("printer")}, false, 1, 0, {}},
      {{QStringLiteral("/Unregister")},
       false,
       0,
       0,
       QStringLiteral("System registry entries have been removed and the INI file (if any) "
                      "was deleted.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
    m_pMessages->Clear();
    m_arguments = c.arguments;
    Start(c.started);
    if (c.started) {
      EXPECT_TRUE(Frame()->isVisible());
      EXPECT_EQ(static_cast<int>(Docs().GetDocuments().size()), c.documents);
    } else {
      EXPECT_FALSE(Frame()->isVisible());
      EXPECT_EQ(m_pApp->ExitCode(), c.exitCode);
    }
    if (!c.lastMessage.isEmpty()) {
      EXPECT_EQ(m_pMessages->LastText(), c.lastMessage);
    }
    Exit();
  }
  // A missing file is reported, and the program goes on with a new list; what killed
  // saves left in its folder goes.
  const std::string stale = FilePath(QStringLiteral(".tolvane-save-k1LLed")).toStdString();
  std::ofstream(stale) << "half";
  std::filesystem::last_write_time(stale, std::filesystem::file_time_type::clock::now() -
                                              std::chrono::minutes(2));
  m_arguments = {missing};
  Start();
  EXPECT_FALSE(std::filesystem::exists(stale));
  ASSERT_NE(ActiveDoc(), nullptr);
  EXPECT_EQ(ActiveDoc()->GetTitle(), QStringLiteral("Tlvn1"));
  if (!LoadingWorks()) GTEST_SKIP() << "documents are not read from files in this build";
  EXPECT_EQ(m_pMessages->LastText(), missing + QStringLiteral(" が見つかりません。"));
}

TEST_F(RecentFilesTest, AnotherStartsRequestRaisesTheWindowAndOpensItsFiles) {
  Start();
  Frame()->showMinimized();
  m_pApp->OnInstanceRequest({"count", {}});  // not ours: nothing happens
  EXPECT_TRUE(Frame()->isMinimized());
  m_pApp->OnInstanceRequest({"open", {}});
  EXPECT_FALSE(Frame()->isMinimized());
  EXPECT_TRUE(Frame()->isVisible());

  if (!LoadingWorks()) GTEST_SKIP() << "documents are not read from files in this build";
  const QString list = MakeEmptyFile(QStringLiteral("list.tvn"));
  m_pApp->OnInstanceRequest({"open", {list.toStdString()}});
  EXPECT_EQ(ActiveDoc()->GetPathName(), list);
}

TEST_F(RecentFilesTest, DroppedFilesOpenAndOtherDropsAreRefused) {
  Start();
  const QString list = MakeEmptyFile(QStringLiteral("dropped.tvn"));
  const auto drag = [&](const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Frame(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Frame(), &drop);
    ProcessEvents();
    return drop.isAccepted();
  };
  EXPECT_FALSE(drag({QUrl(QStringLiteral("https://example.com/list.tvn"))}));
  EXPECT_TRUE(drag({QUrl::fromLocalFile(list)}));
  if (!LoadingWorks()) GTEST_SKIP() << "documents are not read from files in this build";
  ASSERT_NE(ActiveDoc(), nullptr);
  EXPECT_EQ(ActiveDoc()->GetPathName(), list);
}

}  // namespace
