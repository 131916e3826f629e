#include "support/app_fixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QWidget>
#include <fstream>
#include <sstream>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/mdi_child_wnd.h"
#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "platform/profile_file.h"
#include "resources/command_ids.h"
#include "view/tolvane_view.h"

namespace testing_support {

void AppTest::SetUp() {
  qputenv("XDG_CONFIG_HOME", m_configDir.path().toUtf8());
  qputenv("XDG_DATA_HOME", m_dataDir.path().toUtf8());
  qputenv("XDG_STATE_HOME", m_dataDir.filePath(QStringLiteral("state")).toUtf8());
  platform::SetSystemCodePage(platform::CodePage::Utf8);
  platform::ResetAllocationFailures();
  m_pMessages = std::make_unique<MessageRecorder>();
}

void AppTest::TearDown() {
  Exit();
  m_pMessages.reset();
  platform::ResetAllocationFailures();
  platform::SetSystemCodePage(platform::CodePage::Utf8);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(w->isVisible()) << "a window was left open: "
                                 << w->metaObject()->className();
  }
}

std::string AppTest::SettingsPath() const { return platform::SettingsFilePath("tolvane"); }

void AppTest::WriteSettings(const std::string& content) const {
  std::ofstream(SettingsPath(), std::ios::binary) << content;
}

std::string AppTest::ReadSettings() const {
  std::ifstream in(SettingsPath(), std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void AppTest::Start(bool expectSuccess) {
  auto clipboard = std::make_unique<FakeClipboardPort>();
  m_pClipboard = clipboard.get();
  clipboard->m_bFocusOnly = m_bFocusOnlyClipboard;
  if (m_bLateStartupRead) {
    clipboard->DelayStartupRead();
  } else if (!m_strStartClipText.empty()) {
    clipboard->SimulateCopy(m_strStartClipText);
  }
  m_pApp = std::make_unique<app::CTolvaneApp>(std::move(clipboard), m_arguments);
  m_pApp->m_bRegisterWithDesktop = m_bRegisterWithDesktop;
  const bool started = m_pApp->InitInstance();
  EXPECT_EQ(started, expectSuccess);
  ProcessEvents();
}

void AppTest::Exit() {
  if (!m_pApp) return;
  if (app::CMainFrame* frame = m_pApp->MainFrame()) frame->close();
  m_pApp.reset();
  m_pClipboard = nullptr;
  ProcessEvents();
}

app::CMainFrame* AppTest::Frame() const { return m_pApp ? m_pApp->MainFrame() : nullptr; }

doc::ClipboardCapture& AppTest::Capture() const { return m_pApp->Capture(); }

fw::CMDIChildWnd* AppTest::ActiveChild() const { return Frame()->MDIGetActive(); }

doc::CTolvaneDoc* AppTest::ActiveDoc() const {
  fw::CMDIChildWnd* child = ActiveChild();
  return child ? dynamic_cast<doc::CTolvaneDoc*>(child->GetActiveDocument()) : nullptr;
}

view::CTolvaneView* AppTest::ActiveView() const {
  fw::CMDIChildWnd* child = ActiveChild();
  return child ? dynamic_cast<view::CTolvaneView*>(child->GetActiveView()) : nullptr;
}

doc::CTolvaneDoc* AppTest::NewDocument() {
  Run(res::ID_FILE_NEW);
  ProcessEvents();
  return ActiveDoc();
}

std::vector<std::string> AppTest::Items(const doc::CTolvaneDoc* doc) {
  std::vector<std::string> items;
  for (int i = 0; i < doc->GetItemList().GetCount(); ++i) items.push_back(doc->GetItemList().GetAt(i));
  return items;
}

bool AppTest::Run(unsigned id) { return Frame()->RunCommand(id); }

bool AppTest::Enabled(unsigned id) { return Frame()->IsCommandEnabled(id); }

bool AppTest::Checked(unsigned id) {
  fw::CCmdUI ui(id);
  Frame()->RouteCommand(id, &ui);
  return ui.IsChecked();
}

QString AppTest::ItemCountText() const { return Frame()->ItemCountPane()->text(); }

void AppTest::ProcessEvents() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace testing_support
