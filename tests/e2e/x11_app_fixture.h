#pragma once

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

#include "app/tolvane_app.h"
#include "e2e/e2e_support.h"
#include "platform/x11_clipboard_port.h"
#include "support/app_fixture.h"

namespace e2e {

// The application in this test process on the xcb platform with the real clipboard,
// through the port the program uses there; xclip and our helpers are the other programs
// that copy.
class X11AppTest : public testing_support::AppTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(m_pMessages->Count(), 0) << m_pMessages->LastText().toStdString();
    m_pChanges.reset();
    AppTest::TearDown();
    ClipboardOwner::KillAll();
    ProcessEvents();
  }

  void StartWithX11Clipboard() {
    std::unique_ptr<platform::X11ClipboardPort> port = platform::X11ClipboardPort::Create();
    ASSERT_NE(port, nullptr);
    m_pApp = std::make_unique<app::CTolvaneApp>(std::move(port));
    ASSERT_TRUE(m_pApp->InitInstance());
    ProcessEvents();
    ASSERT_NE(ActiveDoc(), nullptr);
    // Connected after the main frame: when it counts a change, the capture is done.
    m_pChanges = std::make_unique<QSignalSpy>(&m_pApp->Clipboard(),
                                              &platform::ClipboardPort::Changed);
  }

  // The port's change notices since the start.
  qsizetype Notices() const { return m_pChanges->count(); }

 private:
  std::unique_ptr<QSignalSpy> m_pChanges;
};

}  // namespace e2e
