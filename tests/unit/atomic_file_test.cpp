#include "platform/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

namespace platform {
namespace {

namespace fs = std::filesystem;

struct TempCase {
  const char* name;
  const char* file;
  int ageSeconds;
  bool locked;
  bool removed;
};

void PrintTo(const TempCase& c, std::ostream* os) { *os << c.name; }

class StaleTempTest : public testing::TestWithParam<TempCase> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvane_atomic_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }
  fs::path m_dir;
};

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
