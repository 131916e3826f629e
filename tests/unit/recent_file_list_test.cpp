#include "framework/recent_file_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace fw {
namespace {

std::vector<std::string> Entries(const CRecentFileList& list) {
  std::vector<std::string> entries;
  for (int i = 0; i < list.GetSize(); ++i) entries.push_back(list[i]);
  return entries;
}

TEST(RecentFileListTest, AddMovesAnEqualEntryUpAndDropsTheOldest) {
  struct Case {
    std::vector<std::string> adds;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{"/a"}, {"/a", "", "", ""}},
      {{"/a", "/b", "/c", "/d"}, {"/d", "/c", "/b", "/a"}},
      {{"/a", "/b", "/c", "/d", "/e"}, {"/e", "/d", "/c", "/b"}},
      {{"/a", "/b", "/c", "/b"}, {"/b", "/c", "/a", ""}},
      {{"/a", "/b", "/c", "/d", "/a"}, {"/a", "/d", "/c", "/b"}},  // the last one moves up
      {{"/a", "/b", "/a"}, {"/a", "/b", "", ""}},
      {{"/x/List.tvn", "/x/list.tvn"}, {"/x/list.tvn", "/x/List.tvn", "", ""}},  // exact
      {{"/a", ""}, {"/a", "", "", ""}},
  };
  for (const Case& c : cases) {
    CRecentFileList list;
    for (const std::string& path : c.adds) list.Add(path);
    EXPECT_EQ(Entries(list), c.expected) << "after adding " << c.adds.size() << " paths";
  }
}

TEST(RecentFileListTest, RemoveMovesLaterEntriesUp) {
  CRecentFileList list;
  for (const char* path : {"/a", "/b", "/c", "/d"}) list.Add(path);
  list.Remove(1);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"/d", "/b", "/a", ""}));
  list.Remove(0);
  list.Remove(9);  // out of range: nothing
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"/b", "/a", "", ""}));
}

TEST(RecentFileListTest, DisplayNames) {
  struct Case {
    const char* path;
    const char* currentDirectory;
    const char* expected;
  };
  const Case cases[] = {
      {"/home/u/lists/a.tvn", "/home/u/lists", "a.tvn"},
      {"/home/u/lists/a.tvn", "/home/u/lists/", "a.tvn"},
      {"/home/u/lists/a.tvn", "/home/u", "/home/u/lists/a.tvn"},
      {"/a.tvn", "/", "a.tvn"},
      {"/a.tvn", "/home", "/a.tvn"},
      // 30 characters fit as they are; 31 are shortened.
      {"/home/user/documents/lists.tvn", "/", "/home/user/documents/lists.tvn"},
      {"/home/user/documents/lists1.tvn", "/", "/.../user/documents/lists1.tvn"},
      {"/home/user/documents/2024/clips/today.tvn", "/tmp", "/.../2024/clips/today.tvn"},
      {"/home/user/documents/2024/a-rather-long-name-x.tvn", "/tmp",
       "/.../a-rather-long-name-x.tvn"},
      {"/home/user/documents/an-extremely-long-file-name.tvn", "/tmp",
       "an-extremely-long-file-name.tvn"},
      {"/an-extremely-long-file-name-in-root.tvn", "/tmp",
       "an-extremely-long-file-name-in-root.tvn"},
      // Characters, not bytes: 26 Japanese characters fit beside "/.../".
      {"/home/ユーザー/文書/クリップボードの履歴を保存したリスト.tvn", "/tmp",
       "/.../文書/クリップボードの履歴を保存したリスト.tvn"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RecentFileDisplayName(c.path, c.currentDirectory), c.expected) << c.path;
  }
}

class RecentFileListProfileTest : public testing::Test {
 protected:
  void SetUp() override {
    m_path = std::filesystem::temp_directory_path() /
             ("recent-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".INI");
  }
  void TearDown() override { std::filesystem::remove(m_path); }
  void Write(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }
  std::string Read() {
    std::ifstream in(m_path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
  }
  std::filesystem::path m_path;
};

TEST_F(RecentFileListProfileTest, ReadClosesGapsAndWriteKeepsOnlyNonEmptyKeys) {
  Write("[Other]\nx=1\n[Recent File List]\nFile1=/a\nFile3=/c\nFile4=\nFile9=/z\n");
  platform::ProfileFile profile(m_path.string());
  CRecentFileList list;
  list.ReadList(profile);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"/a", "/c", "", ""}));

  list.Add("/b");
  list.WriteList(profile);
  ASSERT_TRUE(profile.Flush());
  EXPECT_EQ(Read(), "[Other]\nx=1\n[Recent File List]\nFile1=/b\nFile2=/a\nFile3=/c\n");
}

}  // namespace
}  // namespace fw
