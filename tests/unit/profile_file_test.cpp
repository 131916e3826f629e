#include "platform/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/ordinary_user.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

struct IntCase {
  const char* text;
  std::optional<int> expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseProfileIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseProfileIntTest, ReadsLeadingInteger) {
  EXPECT_EQ(ParseProfileInt(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseProfileIntTest,
    testing::Values(IntCase{"12", 12}, IntCase{" 12abc", 12}, IntCase{"\t -7", -7},
                    IntCase{"+3", 3}, IntCase{"007 8", 7}, IntCase{"-0", 0},
                    IntCase{"abc", std::nullopt}, IntCase{"", std::nullopt},
                    IntCase{"  ", std::nullopt}, IntCase{"-", std::nullopt},
                    IntCase{"+ 5", std::nullopt}, IntCase{"--5", std::nullopt},
                    IntCase{"2147483647", INT_MAX}, IntCase{"2147483648", INT_MAX},
                    IntCase{"-2147483648", INT_MIN}, IntCase{"-2147483649", INT_MIN},
                    IntCase{"99999999999999999999999999", INT_MAX},
                    IntCase{"-99999999999999999999999999", INT_MIN}));

class ProfileFileTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvane_profile_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_path = (m_dir / "tolvane.INI").string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_dir, ignored);
  }

  void WriteFile(const std::string& content) const {
    std::ofstream(m_path, std::ios::binary) << content;
  }
  std::string ReadFile() const {
    std::ifstream in(m_path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path m_dir;
  std::string m_path;
};

TEST_F(ProfileFileTest, MissingFileGivesDefaults) {
  const ProfileFile file(m_path);
  EXPECT_EQ(file.GetString("Window Size", "Rect", "dflt"), "dflt");
  EXPECT_EQ(file.GetInt("Window Size", "Tool", 1), 1);
  EXPECT_EQ(file.Path(), m_path);
}

TEST_F(ProfileFileTest, SectionsAndKeysIgnoreCase) {
  WriteFile("[window SIZE]\r\nrect=0010 0010 0500 0400\r\nAUTO=0\r\n");
  const ProfileFile file(m_path);
  EXPECT_EQ(file.GetString("Window Size", "Rect", ""), "0010 0010 0500 0400");
  EXPECT_EQ(file.GetInt("Window Size", "Auto", 1), 0);
  EXPECT_EQ(file.GetInt("Window Size", "Max", 5), 5);
  EXPECT_EQ(file.GetInt("Other", "Auto", 5), 5);
}

TEST_F(ProfileFileTest, ValuesAreTrimmedUnquotedAndReadAsIntegers) {
  WriteFile(
      "; comment=1\n"
      "[S]\n"
      "  Tool =  12abc \n"
      "Min=abc\n"
      "Max=\n"
      "Big=99999999999\n"
      "File = \"  /a b  \" \n"
      "Half=\"x\n"
      "Neg=\t-7\n");
  const ProfileFile file(m_path);
  EXPECT_EQ(file.GetInt("S", "Tool", 0), 12);
  EXPECT_EQ(file.GetInt("S", "Min", 4), 4);
  EXPECT_EQ(file.GetInt("S", "Max", 4), 4);
  EXPECT_EQ(file.GetString("S", "Max", "d"), "");
  EXPECT_EQ(file.GetInt("S", "Big", 0), INT_MAX);
  EXPECT_EQ(file.GetInt("S", "Neg", 0), -7);
  EXPECT_EQ(file.GetString("S", "File", ""), "  /a b  ");
  EXPECT_EQ(file.GetString("S", "Half", ""), "\"x");
}

TEST_F(ProfileFileTest, FirstMatchingSectionAndKeyWin) {
  WriteFile("[S]\nk=1\nk=2\n[s]\nk=3\nj=4\n");
  const ProfileFile file(m_path);
  EXPECT_EQ(file.GetInt("S", "K", 0), 1);
  EXPECT_EQ(file.GetInt("S", "j", 0), 0);
}

TEST_F(ProfileFileTest, ReadsTheFileWhenMadeAndOnLoad) {
  ProfileFile file(m_path);
  WriteFile("[S]\nk=1\n");
  EXPECT_EQ(file.GetInt("S", "k", 0), 0);
  ASSERT_TRUE(file.Load());
  EXPECT_EQ(file.GetInt("S", "k", 0), 1);
  WriteFile("[S]\nk=2\n");
  ASSERT_TRUE(file.Load());
  EXPECT_EQ(file.GetInt("S", "k", 0), 2);
}

TEST_F(ProfileFileTest, WritesKeepEveryOtherByte) {
  const std::string head =
      "; settings\r\n"
      "garbage line\r\n"
      "\r\n"
      "[Recent File List]\r\n"
      "File1=/home/u/a.tvn\r\n"
      "\r\n"
      "[Window Size]\r\n"
      "Rect=0010 0010 0500 0400\r\n";
  const std::string tail =
      "Max=0\r\n"
      "not a key\r\n"
      "\r\n"
      "[Settings]\r\n"
      "odd=\xFF\xFE" + std::string("\0", 1) + "\r\n"
      "tail without line end";
  WriteFile(head + "Min=0\r\n" + tail);
  ProfileFile file(m_path);

  ASSERT_TRUE(file.WriteInt("window size", "MIN", 1));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), head + "MIN=1\r\n" + tail);

  ASSERT_TRUE(file.WriteString("Window Size", "Tool", "1"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), head + "MIN=1\r\n" + "Max=0\r\nTool=1\r\n" + tail.substr(7));

  ASSERT_TRUE(file.WriteString("New", "Key", "v"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), head + "MIN=1\r\n" + "Max=0\r\nTool=1\r\n" + tail.substr(7) +
                            "\r\n[New]\r\nKey=v\r\n");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"tolvane.INI"});
}

TEST_F(ProfileFileTest, AddsKeyToEmptySectionAtEndOfFileWithoutLineEnd) {
  WriteFile("[A]\nx=1\n[B]");
  ProfileFile file(m_path);
  ASSERT_TRUE(file.WriteString("B", "y", "2"));
  ASSERT_TRUE(file.WriteString("A", "z", "3"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), "[A]\nx=1\nz=3\n[B]\ny=2\n");
}

TEST_F(ProfileFileTest, WrittenValuesReadBackUnchanged) {
  ProfileFile file(m_path);
  for (const std::string value : {"", "plain", "  padded  ", "\"quoted\"", "\"", "a=b; c",
                                  "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ"}) {
    ASSERT_TRUE(file.WriteString("Settings", "Value", value));
    EXPECT_EQ(file.GetString("Settings", "Value", "default"), value);
  }
  ASSERT_TRUE(file.WriteInt("Settings", "Number", INT_MIN));
  EXPECT_EQ(file.GetInt("Settings", "Number", 0), INT_MIN);
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ProfileFile(m_path).GetInt("Settings", "Number", 0), INT_MIN);
}

TEST_F(ProfileFileTest, RefusesLineBreaksAndLeavesFileAlone) {
  WriteFile("[S]\nk=1\n");
  ProfileFile file(m_path);
  EXPECT_FALSE(file.WriteString("S", "k", "two\nlines"));
  EXPECT_FALSE(file.WriteString("S", "", "v"));
  EXPECT_FALSE(file.WriteString("S]", "k", "v"));
  EXPECT_FALSE(file.WriteString("S", "a=b", "v"));
  EXPECT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), "[S]\nk=1\n");
}

TEST_F(ProfileFileTest, CreatesMissingFolders) {
  ProfileFile file((m_dir / "a" / "b" / "tolvane.INI").string());
  ASSERT_TRUE(file.WriteInt("Window Size", "Max", 1));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ProfileFile(file.Path()).GetInt("Window Size", "Max", 0), 1);
}

TEST_F(ProfileFileTest, FailedWriteReturnsFalse) {
  EXPECT_FALSE(ProfileFile("/dev/null/tolvane.INI").WriteInt("S", "k", 1));
  WriteFile("[S]\nk=1\n");
  EXPECT_FALSE(ProfileFile(m_path + "/tolvane.INI").WriteInt("S", "k", 2));
  EXPECT_FALSE(ProfileFile(m_path + "/sub/tolvane.INI").WriteInt("S", "k", 2));
  EXPECT_EQ(ReadFile(), "[S]\nk=1\n");
}

// The settings written at exit leave a folder or a file the user may not write as it was.
TEST_F(ProfileFileTest, WriteIntoReadOnlyFolderOrFileKeepsOldFile) {
  using fs::perms;
  const struct {
    const char* name;
    perms folder;
    perms file;
  } cases[] = {
      {"read-only folder", perms::owner_read | perms::owner_exec,
       perms::owner_read | perms::owner_write},
      {"read-only file", perms::owner_all, perms::owner_read},
  };
  for (const auto& c : cases) {
    fs::permissions(m_dir, perms::owner_all);
    fs::remove(m_path);
    WriteFile("[S]\nk=1\n");
    fs::permissions(m_path, c.file);
    fs::permissions(m_dir, c.folder);
    const int result = testing_support::AsOrdinaryUser(m_dir.string(), [&] {
      ProfileFile file(m_path);
      const bool queued = file.WriteInt("S", "k", 2) && file.DeleteSection("S");
      return queued && !file.Flush() && file.HasPendingChanges() ? 0 : 1;
    });
    if (result == testing_support::kCannotSwitch) GTEST_SKIP() << "cannot become an ordinary user";
    EXPECT_EQ(result, 0) << c.name;
    EXPECT_EQ(ReadFile(), "[S]\nk=1\n") << c.name;
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"tolvane.INI"}) << c.name;
  }
}

TEST_F(ProfileFileTest, WriteKeepsPermissionsAndFollowsSymbolicLink) {
  const fs::path real = m_dir / "real.INI";
  std::ofstream(real) << "[S]\nk=1\n";
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(real, m_path);
  ProfileFile file(m_path);
  ASSERT_TRUE(file.WriteInt("S", "k", 2));
  ASSERT_TRUE(file.Flush());
  EXPECT_TRUE(fs::is_symlink(m_path));
  EXPECT_EQ(ReadFile(), "[S]\nk=2\n");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(ProfileFileTest, DeleteSectionRemovesOnlyThatSection) {
  WriteFile("top\n[A]\na=1\n\n[Window Size]\nMax=1\n; note\n[B]\nb=2\n[window size]\nMin=1\n");
  ProfileFile file(m_path);
  ASSERT_TRUE(file.DeleteSection("Window Size"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), "top\n[A]\na=1\n\n[B]\nb=2\n");
  EXPECT_EQ(file.GetInt("Window Size", "Min", 0), 0);

  ASSERT_TRUE(file.DeleteSection("Missing"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), "top\n[A]\na=1\n\n[B]\nb=2\n");
}

TEST_F(ProfileFileTest, DeleteSectionOfMissingFileCreatesNothing) {
  ProfileFile file(m_path);
  EXPECT_TRUE(file.DeleteSection("S"));
  EXPECT_TRUE(file.Flush());
  EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(ProfileFileTest, BinaryGarbageDoesNotDisturbReading) {
  std::string garbage(5000, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37);
  WriteFile(garbage + "\n[S]\nk=5\n" + std::string(100000, 'x'));
  ProfileFile file(m_path);
  EXPECT_EQ(file.GetInt("S", "k", 0), 5);
  ASSERT_TRUE(file.WriteInt("S", "k", 6));
  EXPECT_EQ(file.GetInt("S", "k", 0), 6);
}

class SettingsFilePathTest : public testing::Test {
 protected:
  void SetUp() override {
    Save("XDG_CONFIG_HOME", m_config);
    Save("HOME", m_home);
    setenv("HOME", "/home/someone", 1);
  }
  void TearDown() override {
    Restore("XDG_CONFIG_HOME", m_config);
    Restore("HOME", m_home);
  }

 private:
  static void Save(const char* name, std::optional<std::string>& slot) {
    if (const char* value = std::getenv(name)) slot = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) {
      setenv(name, slot->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> m_config;
  std::optional<std::string> m_home;
};

TEST_F(SettingsFilePathTest, UsesAbsoluteConfigHomeElseHomeConfig) {
  setenv("XDG_CONFIG_HOME", "/x/conf", 1);
  EXPECT_EQ(SettingsFilePath("tolvane"), "/x/conf/tolvane.INI");
  setenv("XDG_CONFIG_HOME", "relative/conf", 1);
  EXPECT_EQ(SettingsFilePath("tolvane"), "/home/someone/.config/tolvane.INI");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFilePath("tolvane"), "/home/someone/.config/tolvane.INI");
}

}  // namespace
}  // namespace platform
