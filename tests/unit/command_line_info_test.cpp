#include "framework/command_line_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fw {
namespace {

using Info = CCommandLineInfo;

TEST(CommandLineTest, SwitchesNamesAndTheResultingCommand) {
  struct Case {
    std::vector<std::string> args;
    Info::Command command;
    std::string file;
    std::vector<std::string> printTo = {"", "", ""};
    std::vector<std::string> others = {};
  };
  const Case cases[] = {
      {{}, Info::FileNew, ""},
      {{"list.tvn"}, Info::FileOpen, "list.tvn"},
      {{"/home/u/list.tvn"}, Info::FileOpen, "/home/u/list.tvn"},  // a path, not a switch
      {{"/list.tvn"}, Info::FileOpen, "/list.tvn"},
      {{"my list.tvn"}, Info::FileOpen, "my list.tvn"},
      {{"\"/tmp/my list.tvn\""}, Info::FileOpen, "/tmp/my list.tvn"},
      {{"\""}, Info::FileOpen, "\""},
      {{"a.tvn", "b.tvn", "c.tvn"}, Info::FileOpen, "a.tvn", {"", "", ""}, {"b.tvn", "c.tvn"}},
      {{"-p", "a.tvn"}, Info::FilePrint, "a.tvn"},
      {{"a.tvn", "/p"}, Info::FilePrint, "a.tvn"},
      {{"-pt", "a.tvn", "Printer", "Driver", "Port", "extra"},
       Info::FilePrintTo, "a.tvn", {"Printer", "Driver", "Port"}},
      {{"-pt", "a.tvn", "Printer"}, Info::FilePrintTo, "a.tvn", {"Printer", "", ""}},
      {{"-dde"}, Info::FileDDE, ""},
      {{"/dde"}, Info::FileDDE, ""},
      {{"-Unregister"}, Info::AppUnregister, ""},
      {{"/Unregister"}, Info::AppUnregister, ""},
      // Letter case counts; unknown switches are ignored.
      {{"-P", "a.tvn"}, Info::FileOpen, "a.tvn"},
      {{"-unregister"}, Info::FileNew, ""},
      {{"-DDE"}, Info::FileNew, ""},
      {{"-x", "--help", "a.tvn"}, Info::FileOpen, "a.tvn"},
      {{"-", "", "a.tvn"}, Info::FileOpen, "a.tvn"},
  };
  for (const Case& c : cases) {
    const Info info = ParseCommandLine(c.args);
    const std::string label = c.args.empty() ? "(none)" : c.args.front();
    EXPECT_EQ(info.m_nShellCommand, c.command) << label;
    EXPECT_EQ(info.m_strFileName, c.file) << label;
    EXPECT_EQ((std::vector<std::string>{info.m_strPrinterName, info.m_strDriverName,
                                        info.m_strPortName}),
              c.printTo)
        << label;
    EXPECT_EQ(info.m_otherFileNames, c.others) << label;
  }
}

TEST(CommandLineTest, EmbeddingAndAutomationOnlySetTheirFlags) {
  const Info info = ParseCommandLine({"-Embedding", "/Automation", "a.tvn"});
  EXPECT_TRUE(info.m_bRunEmbedded);
  EXPECT_TRUE(info.m_bRunAutomated);
  EXPECT_EQ(info.m_nShellCommand, Info::FileOpen);
  const Info plain = ParseCommandLine({"-embedding"});
  EXPECT_FALSE(plain.m_bRunEmbedded);
}

}  // namespace
}  // namespace fw
