#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

#include "support/fake_clipboard_port.h"
#include "support/message_recorder.h"

// Test failures show a QString as its text.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace app {
class CTolvaneApp;
class CMainFrame;
}  // namespace app
namespace doc {
class ClipboardCapture;
class CTolvaneDoc;
}
namespace view {
class CTolvaneView;
}
namespace fw {
class CMDIChildWnd;
}

namespace testing_support {

// A started application with a fake clipboard, recorded message boxes and its own empty
// settings folder. Tests write settings first (WriteSettings) and then call Start().
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The settings file the program uses.
  std::string SettingsPath() const;
  void WriteSettings(const std::string& content) const;
  std::string ReadSettings() const;

  // Starts the program; m_strStartClipText is on the clipboard when it starts.
  void Start(bool expectSuccess = true);
  // Ends the program as Exit does and forgets the application object.
  void Exit();

  app::CMainFrame* Frame() const;
  // The clipboard text and capture switches of the running program.
  doc::ClipboardCapture& Capture() const;
  doc::CTolvaneDoc* ActiveDoc() const;
  view::CTolvaneView* ActiveView() const;
  fw::CMDIChildWnd* ActiveChild() const;
  // A new document through the New command.
  doc::CTolvaneDoc* NewDocument();
  // The items of a document, head first.
  static std::vector<std::string> Items(const doc::CTolvaneDoc* doc);
  // Runs a command through the router as a menu item would.
  bool Run(unsigned id);
  bool Enabled(unsigned id);
  bool Checked(unsigned id);
  static void ProcessEvents();
  // The text of the status bar's item-count pane.
  QString ItemCountText() const;

  std::string m_strStartClipText;
  // The clipboard at start is read only after start-up, by the test's SimulateCopy.
  bool m_bLateStartupRead = false;
  // The clipboard sees copies only while the window has the focus.
  bool m_bFocusOnlyClipboard = false;
  // Whether the started program writes its desktop files (into the test's data folder).
  bool m_bRegisterWithDesktop = false;
  // The command line after the program's name that Start passes on.
  QStringList m_arguments;
  QTemporaryDir m_configDir;
  QTemporaryDir m_dataDir;
  FakeClipboardPort* m_pClipboard = nullptr;  // owned by the application
  std::unique_ptr<MessageRecorder> m_pMessages;
  std::unique_ptr<app::CTolvaneApp> m_pApp;
};

}  // namespace testing_support
