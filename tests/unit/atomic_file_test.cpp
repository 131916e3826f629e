#include "platform/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ordinary_user.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class AtomicFileTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvane_atomic_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
  }
  void TearDown() override {
    fs::permissions(m_dir, fs::perms::owner_all);
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }
  fs::path m_dir;
};

// Stops before Commit, as a failed writer does.
constexpr int kAbandoned = 97;

// Replaces `path` with `text` as a list is saved: 0, or the errno of the failure.
int Replace(const std::string& path, const std::string& text, bool abandon = false) {
  FileReplacement file;
  FileReplacement::Options options;
  options.rewriteInPlace = true;
  if (const int error = file.Begin(path, options)) return error;
  if (::write(file.Fd(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    return errno;
  }
  if (abandon) return kAbandoned;
  return file.Commit();
}

TEST_F(AtomicFileTest, NewAndReplacedFilesGetTheRightContentAndMode) {
  const fs::path path = m_dir / "list.tvn";
  ASSERT_EQ(Replace(path, "first"), 0);
  EXPECT_EQ(Slurp(path), "first");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);

  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(Replace(path, "second"), 0);
  EXPECT_EQ(Slurp(path), "second");
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(m_dir), std::vector<std::string>{"list.tvn"});
}

TEST_F(AtomicFileTest, ReplacingThroughALinkReplacesItsTarget) {
  std::ofstream(m_dir / "real.tvn") << "old";
  fs::create_symlink("real.tvn", m_dir / "link.tvn");
  ASSERT_EQ(Replace(m_dir / "link.tvn", "new"), 0);
  EXPECT_TRUE(fs::is_symlink(m_dir / "link.tvn"));
  EXPECT_EQ(Slurp(m_dir / "real.tvn"), "new");
  EXPECT_EQ(Entries(m_dir), (std::vector<std::string>{"link.tvn", "real.tvn"}));
}

TEST_F(AtomicFileTest, AnAbandonedReplacementLeavesTheOldFileAndNoTemporaryFile) {
  const fs::path path = m_dir / "list.tvn";
  std::ofstream(path) << "old";
  {
    FileReplacement file;
    ASSERT_EQ(file.Begin(path, {}), 0);
    ASSERT_EQ(::write(file.Fd(), "new", 3), 3);
    // Locked while written: no cleanup, whatever age it asks for, takes it.
    EXPECT_EQ(RemoveStaleTempFiles(path, 0), 0);
    EXPECT_EQ(Entries(m_dir).size(), 2u);
  }
  EXPECT_EQ(Slurp(path), "old");
  EXPECT_EQ(Entries(m_dir), std::vector<std::string>{"list.tvn"});
}

// Permission bits as an ordinary user sees them: a file that may not be written is never
// replaced, and a folder that takes no new file is written into by rewriting the file.
TEST_F(AtomicFileTest, ReplacingHonoursTheFileAndFolderPermissions) {
  const struct {
    const char* name;
    bool hasFile;
    mode_t fileMode;
    mode_t folderMode;
    bool abandon;
    int result;  // an errno, or kAbandoned
    const char* content;
  } cases[] = {
      {"read-only file", true, 0444, 0700, false, EACCES, "old"},
      {"read-only file and folder", true, 0444, 0500, false, EACCES, "old"},
      {"new file in a read-only folder", false, 0, 0500, false, EACCES, "<none>"},
      {"file in a read-only folder", true, 0644, 0500, false, 0, "new"},
      {"failed write in a read-only folder", true, 0644, 0500, true, kAbandoned, "old"},
  };
  const fs::path path = m_dir / "list.tvn";
  for (const auto& c : cases) {
    ::chmod(m_dir.c_str(), 0700);
    ::unlink(path.c_str());
    if (c.hasFile) {
      std::ofstream(path) << "old";
      ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
    }
    ASSERT_EQ(::chmod(m_dir.c_str(), c.folderMode), 0);
    const int result = testing_support::AsOrdinaryUser(
        m_dir, [&] { return Replace(path, std::string(10000, 'x'), c.abandon); });
    if (result == testing_support::kCannotSwitch) GTEST_SKIP() << "cannot become an ordinary user";
    EXPECT_EQ(result, c.result) << c.name;
    const std::string content = c.hasFile ? Slurp(path) : "<none>";
    EXPECT_EQ(content == std::string(10000, 'x') ? "new" : content, c.content) << c.name;
    ::chmod(m_dir.c_str(), 0700);
    EXPECT_EQ(Entries(m_dir), c.hasFile ? std::vector<std::string>{"list.tvn"}
                                        : std::vector<std::string>{})
        << c.name;
  }
}

struct TempCase {
  const char* name;
  const char* file;
  int ageSeconds;
  bool locked;
  bool removed;
};

void PrintTo(const TempCase& c, std::ostream* os) { *os << c.name; }

class StaleTempTest : public AtomicFileTest, public testing::WithParamInterface<TempCase> {};

// Today's temporary names and the settings names of older versions go alike.
TEST_P(StaleTempTest, OnlyOldUnlockedFilesOfOursGo) {
  const TempCase& c = GetParam();
  const std::string temp = (m_dir / c.file).string();
  std::ofstream(temp) << "half";
  const timespec times[2] = {{time(nullptr) - c.ageSeconds, 0}, {time(nullptr) - c.ageSeconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, temp.c_str(), times, 0), 0);
  const int fd = ::open(temp.c_str(), O_RDONLY);
  if (c.locked) {
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  }

  // The lock is per open file, so a child process must see it as held by another writer.
  const pid_t child = ::fork();
  if (child == 0) {
    RemoveStaleTempFiles((m_dir / "tolvane.INI").string());
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(fd);
  EXPECT_EQ(!fs::exists(temp), c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    All, StaleTempTest,
    testing::Values(TempCase{"OldOurs", "tolvane.INI.tmp123-0", 60, false, true},
                    TempCase{"FreshOurs", "tolvane.INI.tmp123-0", 0, false, false},
                    TempCase{"OldLocked", "tolvane.INI.tmp123-4", 60, true, false},
                    TempCase{"OtherName", "tolvane.INI.tmpx-0", 60, false, false},
                    TempCase{"OtherFile", "other.INI.tmp123-0", 60, false, false},
                    TempCase{"NoAttempt", "tolvane.INI.tmp123-", 60, false, false},
                    TempCase{"OldSave", ".tolvane-save-a1B2c3", 60, false, true},
                    TempCase{"YoungSave", ".tolvane-save-a1B2c3", 30, false, false},
                    TempCase{"OldLockedSave", ".tolvane-save-a1B2c3", 60, true, false},
                    TempCase{"OtherHidden", ".tolvane-saved", 60, false, false}),
    [](const testing::TestParamInfo<TempCase>& info) { return info.param.name; });

}  // namespace
}  // namespace platform
