#include "app/frame_settings.h"

#include <gtest/gtest.h>

#include "platform/profile_file.h"

namespace app {
namespace {

using Step = FrameSettings::Step;

// Every key away from its default.
FrameSettings ChangedSettings() {
  FrameSettings settings;
  settings.m_strRect = "0100 -050 0700 0550";
  settings.m_bMinimized = true;
  settings.m_bMaximized = true;
  settings.m_bToolBar = false;
  settings.m_bStatusBar = false;
  settings.m_bStartMinimized = true;
  settings.m_strStartupFile = "/home/user/lists/work.tvn";
  settings.m_bTopMost = true;
  settings.m_bAutoPaste = false;
  return settings;
}

// What is saved comes back, each key in the step of start-up that reads it and in no other:
// before the command line the bars, the start-up file and the switches; after it the
// window's rectangle and show state.
TEST(FrameSettingsTest, EachKeyReadsBackInItsStep) {
  platform::ProfileFile profile("/nonexistent/tolvane.INI");  // never flushed
  const FrameSettings saved = ChangedSettings();
  saved.Save(profile);

  FrameSettings read;
  read.Load(profile, Step::BeforeCommandLine);
  FrameSettings expected;
  expected.m_bToolBar = saved.m_bToolBar;
  expected.m_bStatusBar = saved.m_bStatusBar;
  expected.m_strStartupFile = saved.m_strStartupFile;
  expected.m_bTopMost = saved.m_bTopMost;
  expected.m_bAutoPaste = saved.m_bAutoPaste;
  EXPECT_TRUE(read == expected);

  read.Load(profile, Step::AfterCommandLine);
  EXPECT_TRUE(read == saved);
}

}  // namespace
}  // namespace app
