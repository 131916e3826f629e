// The start-up file: the dialog of its command (Browse, Clear, OK, Cancel) and the
// document it names being opened at start, in the new list's place or behind the command
// line's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/clip_list.h"
#include "document/clip_list_serializer.h"
#include "document/tolvane_doc.h"
#include "dialogs/startup_file_dialog.h"
#include "framework/doc_manager.h"
#include "framework/safe_file_writer.h"
#include "framework/win_app.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

using dialogs::CStartupFileDialog;
using Step = std::function<void(CStartupFileDialog&)>;

// Answers the Browse button's file dialog once it shows: picks `path`, or cancels when
// `path` is empty.
void AnswerFileDialog(const QString& path) {
  QTimer::singleShot(0, [path] {
    auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fileDialog, nullptr);
    EXPECT_EQ(fileDialog->windowTitle(), QString::fromUtf8("起動時開くﾌｧｲﾙの設定-参照"));
    EXPECT_EQ(fileDialog->nameFilters(),
              QStringList({"Tolvane Files (*.tvn)", QString::fromUtf8("すべてのﾌｧｲﾙ (*)")}));
    EXPECT_EQ(fileDialog->defaultSuffix(), "tvn");
    if (path.isEmpty()) {
      fileDialog->reject();
      return;
    }
    fileDialog->selectFile(path);
    static_cast<QDialog*>(fileDialog)->accept();  // the file dialog's own checks run
  });
}

Step Click(unsigned id) {
  return [id](CStartupFileDialog& d) { d.Button(id)->click(); };
}
Step Type(const char* text) {
  return [text](CStartupFileDialog& d) { d.PathBox()->setText(QString::fromUtf8(text)); };
}
// Browse, answering the file dialog with `chosen` (empty: cancel). The box takes the focus.
Step Browse(const QString& chosen) {
  return [chosen](CStartupFileDialog& d) {
    AnswerFileDialog(chosen);
    d.Button(res::IDC_BROWSE)->click();
    EXPECT_EQ(d.focusWidget(), d.PathBox());
  };
}

struct DialogCase {
  const char* name;
  std::vector<Step> steps;
  std::string stored;  // the start-up file setting afterwards; "@" = ChosenPath()
};

QString ChosenPath() { return QDir(QDir::tempPath()).filePath("tolvane startup chosen.tvn"); }

class StartupFileDialogTest : public testing_support::AppTest,
                              public testing::WithParamInterface<DialogCase> {};

const char kOld[] = "/old/list.tvn";

// The command shows the dialog with the setting, runs the steps in it, and keeps the
// path only on OK.
TEST_P(StartupFileDialogTest, CommandTakesThePathOnOkOnly) {
  Start();
  Frame()->Settings().m_strStartupFile = kOld;

  bool ran = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CStartupFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("起動時開くﾌｧｲﾙの設定"));
    EXPECT_EQ(dialog->PathBox()->text(), kOld);
    for (const Step& step : GetParam().steps) step(*dialog);
    ran = true;
    if (dialog->isVisible()) dialog->reject();
  });
  EXPECT_TRUE(Run(res::ID_VIEW_STARTUP_FILE));
  EXPECT_TRUE(ran);
  const std::string expected =
      GetParam().stored == "@" ? ChosenPath().toStdString() : GetParam().stored;
  EXPECT_EQ(Frame()->Settings().m_strStartupFile, expected);
}

// A Browse step that picks the file at ChosenPath(), which exists only while it runs.
Step BrowseChosen() {
  return [](CStartupFileDialog& d) {
    const QString chosen = ChosenPath();
    QFile(chosen).open(QIODevice::WriteOnly);
    Browse(chosen)(d);
    EXPECT_EQ(d.PathBox()->text(), chosen);
    QFile::remove(chosen);
  };
}

INSTANTIATE_TEST_SUITE_P(
    Flows, StartupFileDialogTest,
    testing::Values(
        DialogCase{"ClearThenOkStoresNothing", {Click(res::IDC_CLEAR_PATH), Click(res::IDOK)}, ""},
        DialogCase{"TypedPathIsStoredAsTypedEnterIsOk",
                   {Type("/no such/dir/リスト.tvn"),
                    [](CStartupFileDialog& d) { QTest::keyClick(d.PathBox(), Qt::Key_Return); }},
                   "/no such/dir/リスト.tvn"},
        DialogCase{"CancelAfterClearKeepsTheSetting",
                   {Click(res::IDC_CLEAR_PATH), Click(res::IDCANCEL)},
                   kOld},
        DialogCase{"CancelledBrowseKeepsTheBox",
                   {Type("typed.tvn"), Browse(QString()), Click(res::IDOK)},
                   "typed.tvn"},
        DialogCase{"BrowseThenOkStoresTheChosenFile",
                   {Type("typed.tvn"), BrowseChosen(), Click(res::IDOK)},
                   "@"},
        DialogCase{"CancelAfterBrowseKeepsTheSetting",
                   {BrowseChosen(), Click(res::IDCANCEL)},
                   kOld}),
    [](const testing::TestParamInfo<DialogCase>& info) { return info.param.name; });

class StartupFileOpenTest : public testing_support::AppTest {};

// A file that can't be opened is reported by the open flow; start-up goes on with the
// command line's document.
TEST_F(StartupFileOpenTest, MissingFileLeavesTheCommandLinesDocument) {
  WriteSettings("[Window Size]\nFile=/no/such/file.tvn\n");
  Start();
  ASSERT_NE(ActiveDoc(), nullptr);
  EXPECT_TRUE(ActiveDoc()->GetPathName().isEmpty());
  EXPECT_EQ(m_pApp->DocManager().GetDocuments().size(), 1u);
  EXPECT_EQ(Frame()->Settings().m_strStartupFile, "/no/such/file.tvn");
}

struct OpenCase {
  const char* name;
  bool withCommandLineFile;
};

class StartupFileFrontTest : public testing_support::AppTest,
                             public testing::WithParamInterface<OpenCase> {};

// Started without files, the start-up file takes the new list's place and is the list in
// front, the one that captures; a file named on the command line stays in front of it.
TEST_P(StartupFileFrontTest, FileOpensInTheNewListsPlaceOrBehindTheCommandLines) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("start.tvn").toStdString();
  const std::string other = dir.filePath("other.tvn").toStdString();
  doc::CClipList list;
  list.AddTail("first");
  list.AddTail("second");
  for (const std::string& file : {path, other}) {
    fw::SaveFileSafely(file, [&](fw::CArchive& ar) { doc::WriteClipList(ar, list); });
  }
  {
    testing_support::FakeClipboardPort clipboard;
    doc::ClipboardCapture capture(clipboard);
    doc::CTolvaneDoc probe(capture);
    if (!probe.OnOpenDocument(QString::fromStdString(path))) {
      GTEST_SKIP() << "documents are not read from files in this build";
    }
  }
  // A killed save of this list left its temporary file two minutes ago.
  const std::string stale = dir.filePath(".tolvane-save-k1LLed").toStdString();
  std::ofstream(stale) << "half";
  std::filesystem::last_write_time(stale, std::filesystem::file_time_type::clock::now() -
                                              std::chrono::minutes(2));
  WriteSettings("[Window Size]\nFile=" + path + "\n");
  if (GetParam().withCommandLineFile) m_arguments = {QString::fromStdString(other)};
  Start();
  EXPECT_FALSE(std::filesystem::exists(stale));
  const std::vector<fw::CDocument*> docs = m_pApp->DocManager().GetDocuments();
  ASSERT_EQ(docs.size(), GetParam().withCommandLineFile ? 2u : 1u);
  EXPECT_EQ(docs.back()->GetPathName().toStdString(), path);
  EXPECT_EQ(Items(dynamic_cast<doc::CTolvaneDoc*>(docs.back())),
            std::vector<std::string>({"first", "second"}));
  EXPECT_EQ(ActiveDoc()->GetPathName().toStdString(),
            GetParam().withCommandLineFile ? other : path);
}

INSTANTIATE_TEST_SUITE_P(Starts, StartupFileFrontTest,
                         testing::Values(OpenCase{"NoFiles", false},
                                         OpenCase{"CommandLineFile", true}),
                         [](const testing::TestParamInfo<OpenCase>& info) {
                           return info.param.name;
                         });

}  // namespace
