#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/profile_file.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class ProfileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvane_store_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_path = (m_dir / "tolvane.INI").string();
  }
  void TearDown() override {
    std::error_code ignored;
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

  fs::path m_dir;
  std::string m_path;
};

// Writes stay in memory until Flush, which applies them to the file as it is then.
TEST_F(ProfileStoreTest, WritesReachTheFileOnlyOnFlush) {
  WriteFile("[S]\na=1\n");
  ProfileFile file(m_path);
  ASSERT_TRUE(file.WriteInt("S", "a", 2));
  ASSERT_TRUE(file.WriteString("T", "b", "x"));
  EXPECT_EQ(file.GetInt("S", "a", 0), 2);
  EXPECT_EQ(ReadFile(), "[S]\na=1\n");

  // Another program adds a section meanwhile: it survives the flush.
  WriteFile("[S]\na=1\n[Other]\nc=3\n");
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), "[S]\na=2\n[Other]\nc=3\n[T]\nb=x\n");
  EXPECT_FALSE(file.HasPendingChanges());
  EXPECT_EQ(file.GetInt("Other", "c", 0), 3);

  // Nothing pending: the file is left alone.
  WriteFile("changed");
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadFile(), "changed");
}

struct OddBytesCase {
  const char* name;
  std::string before;  // holds "k=7" in section S
};

void PrintTo(const OddBytesCase& c, std::ostream* os) { *os << c.name; }

class OddBytesTest : public ProfileStoreTest, public testing::WithParamInterface<OddBytesCase> {};

// The key is found and rewritten; every other byte, a byte-order mark included, stays.
TEST_P(OddBytesTest, KeyReadsAndRewritesInPlace) {
  const std::string& before = GetParam().before;
  WriteFile(before);
  ProfileFile file(m_path);
  EXPECT_EQ(file.GetInt("S", "k", 0), 7);
  ASSERT_TRUE(file.WriteInt("S", "k", 8));
  ASSERT_TRUE(file.Flush());
  std::string after = before;
  after.replace(before.find("k=7"), 3, "k=8");
  EXPECT_EQ(ReadFile(), after);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    All, OddBytesTest,
    testing::Values(OddBytesCase{"ByteOrderMark", "\xEF\xBB\xBF[S]\nk=7\n"},
                    OddBytesCase{"ByteOrderMarkCrLf", "\xEF\xBB\xBF[S]\r\nk=7\r\n[T]\r\nk=1\r\n"},
                    OddBytesCase{"NulBytes", "\0\0[x\0]\n\0=\0\n[S]\nk=7\n\0"s},
                    OddBytesCase{"HighBytes", "\xFF\xFE\x80\n[S]\n\x81=\x9D\nk=7"},
                    OddBytesCase{"MixedLineEnds", "[A]\r\nx=1\n\r\n[S]\nk=7\r\n\r"}),
    [](const testing::TestParamInfo<OddBytesCase>& info) { return info.param.name; });

struct OddFileCase {
  const char* name;
  // Makes what the settings path names; returns what must still be there afterwards.
  std::function<void(const std::string& path, const fs::path& dir)> make;
};

void PrintTo(const OddFileCase& c, std::ostream* os) { *os << c.name; }

class OddFileTest : public ProfileStoreTest, public testing::WithParamInterface<OddFileCase> {};

// Not a readable regular file: defaults at once, no hang, and the path is never replaced.
TEST_P(OddFileTest, GivesDefaultsAndIsNeverReplaced) {
  GetParam().make(m_path, m_dir);
  struct stat before {};
  ASSERT_EQ(::stat(m_path.c_str(), &before), 0);

  ProfileFile file(m_path);
  EXPECT_EQ(file.GetInt("Window Size", "Auto", 5), 5);
  EXPECT_EQ(file.GetString("Window Size", "Rect", "d"), "d");
  EXPECT_FALSE(file.WriteInt("Window Size", "Auto", 1));
  EXPECT_FALSE(file.Load());

  struct stat after {};
  ASSERT_EQ(::stat(m_path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
}

INSTANTIATE_TEST_SUITE_P(
    All, OddFileTest,
    testing::Values(
        OddFileCase{"LinkToFifo",
                    [](const std::string& path, const fs::path& dir) {
                      ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
                      fs::create_symlink(dir / "fifo", path);
                    }},
        OddFileCase{"LinkToDevZero",
                    [](const std::string& path, const fs::path&) {
                      fs::create_symlink("/dev/zero", path);
                    }},
        OddFileCase{"Folder", [](const std::string& path,
                                 const fs::path&) { fs::create_directory(path); }},
        OddFileCase{"LargerThanTheCap",
                    [](const std::string& path, const fs::path&) {
                      std::ofstream(path) << "[Window Size]\nAuto=0\n";
                      fs::resize_file(path, ProfileFile::kMaxFileSize + 1);
                    }}),
    [](const testing::TestParamInfo<OddFileCase>& info) { return info.param.name; });

TEST_F(ProfileStoreTest, FileOfExactlyTheCapIsRead) {
  WriteFile("[S]\nk=7\n");
  fs::resize_file(m_path, ProfileFile::kMaxFileSize);
  EXPECT_EQ(ProfileFile(m_path).GetInt("S", "k", 0), 7);
}

TEST_F(ProfileStoreTest, DanglingLinkIsWrittenThroughToItsTarget) {
  fs::create_directory(m_dir / "real");
  fs::create_symlink("real/tolvane.INI", m_path);
  ProfileFile file(m_path);
  ASSERT_TRUE(file.WriteInt("S", "k", 1));
  ASSERT_TRUE(file.Flush());
  EXPECT_TRUE(fs::is_symlink(m_path));
  EXPECT_EQ(ReadFile(), "[S]\nk=1\n");
}

// A writer killed at any moment leaves the old or the new file, never a mix.
TEST_F(ProfileStoreTest, KillDuringFlushLeavesOldOrNewFile) {
  const std::string value(2 << 20, 'n');
  const std::string old = "[S]\nk=" + std::string(value.size(), 'o') + "\n";
  const std::string fresh = "[S]\nk=" + value + "\n";
  // Kills spread over the time a whole write takes here, measured first.
  const auto writeOnce = [&](std::chrono::microseconds killAfter) {
    WriteFile(old);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
      ProfileFile file(m_path);
      file.WriteString("S", "k", value);
      ::_exit(file.Flush() ? 0 : 1);
    }
    if (killAfter.count() > 0) {
      std::this_thread::sleep_for(killAfter);
      ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
  };
  const std::chrono::microseconds whole = writeOnce(std::chrono::microseconds(0));
  ASSERT_EQ(ReadFile(), fresh);
  for (int round = 1; round <= 10; ++round) {
    writeOnce(whole * round / 8);
    const std::string now = ReadFile();
    EXPECT_TRUE(now == old || now == fresh) << "round " << round << ": " << now.size();
  }
}

}  // namespace
}  // namespace platform
