#include "framework/safe_file_writer.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/file_exception.h"
#include "framework/file_loader.h"
#include "platform/atomic_file.h"
#include "support/ordinary_user.h"

namespace fw {
namespace {

std::string MakeTempDir() {
  std::string dir = testing::TempDir() + "tolvane-save-XXXXXX";
  if (::mkdtemp(dir.data()) == nullptr) throw std::runtime_error("mkdtemp");
  return dir;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void SaveText(const std::string& path, const std::string& text) {
  SaveFileSafely(path, [&](CArchive& ar) { ar.Write(text); });
}

FileCause SaveCause(const std::string& path, const std::string& text) {
  try {
    SaveText(path, text);
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_strFileName, path);
    return e.m_cause;
  }
  return FileCause::none;
}

// A small tmpfs, for a full disk and (as root, who ignores permission bits) a read-only
// folder. Mounting needs privileges the test may not have.
class SmallTmpfs {
 public:
  SmallTmpfs() : m_dir(MakeTempDir()) {
    m_bMounted = ::mount("tmpfs", m_dir.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallTmpfs() {
    if (m_bMounted) ::umount2(m_dir.c_str(), MNT_DETACH);
    ::rmdir(m_dir.c_str());
  }
  bool Mounted() const { return m_bMounted; }
  bool MakeReadOnly() {
    return ::mount("tmpfs", m_dir.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
  }
  const std::string& Dir() const { return m_dir; }

 private:
  std::string m_dir;
  bool m_bMounted = false;
};

class SafeFileWriterTest : public testing::Test {
 protected:
  void SetUp() override { m_dir = MakeTempDir(); }
  void TearDown() override {
    ::chmod(m_dir.c_str(), 0700);
    for (const std::string& name : Entries(m_dir)) ::unlink((m_dir + "/" + name).c_str());
    ::rmdir(m_dir.c_str());
  }
  std::string m_dir;
};

TEST_F(SafeFileWriterTest, NewAndReplacedFilesGetTheRightContentAndMode) {
  const std::string path = m_dir + "/list.tvn";
  SaveText(path, "first");
  EXPECT_EQ(Slurp(path), "first");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);

  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  SaveText(path, "second");
  EXPECT_EQ(Slurp(path), "second");
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(m_dir), std::vector<std::string>{"list.tvn"});
}

TEST_F(SafeFileWriterTest, SavingThroughALinkReplacesItsTarget) {
  Put(m_dir + "/real.tvn", "old");
  ASSERT_EQ(::symlink("real.tvn", (m_dir + "/link.tvn").c_str()), 0);
  SaveText(m_dir + "/link.tvn", "new");
  struct stat st;
  ASSERT_EQ(::lstat((m_dir + "/link.tvn").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Slurp(m_dir + "/real.tvn"), "new");
  EXPECT_EQ(Entries(m_dir), (std::vector<std::string>{"link.tvn", "real.tvn"}));
}

TEST_F(SafeFileWriterTest, AFailingWriterLeavesTheOldFileAndNoTemporaryFile) {
  const std::string path = m_dir + "/list.tvn";
  Put(path, "old");
  EXPECT_THROW(SaveFileSafely(path, [&](CArchive& ar) {
                 ar.Write(std::string(10000, 'x'));
                 // Locked while written: no cleanup, whatever age it asks for, takes it.
                 EXPECT_EQ(platform::RemoveStaleTempFiles(path, 0), 0);
                 EXPECT_EQ(Entries(m_dir).size(), 2u);
                 throw CArchiveException(ArchiveCause::generic);
               }),
               CArchiveException);
  EXPECT_EQ(Slurp(path), "old");
  EXPECT_EQ(Entries(m_dir), std::vector<std::string>{"list.tvn"});
}

TEST_F(SafeFileWriterTest, AVanishedFolderIsABadPath) {
  const std::string gone = m_dir + "/gone";
  ASSERT_EQ(::mkdir(gone.c_str(), 0777), 0);
  ASSERT_EQ(::rmdir(gone.c_str()), 0);
  EXPECT_EQ(SaveCause(gone + "/list.tvn", "x"), FileCause::badPath);
  EXPECT_TRUE(Entries(m_dir).empty());
}

TEST(SafeFileWriterLimitsTest, AReadOnlyFolderDeniesAccessAndKeepsTheOldFile) {
  SmallTmpfs fs;
  if (!fs.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
  const std::string path = fs.Dir() + "/list.tvn";
  Put(path, "old");
  ASSERT_TRUE(fs.MakeReadOnly());
  EXPECT_EQ(SaveCause(path, "new"), FileCause::accessDenied);
  EXPECT_EQ(Slurp(path), "old");
  EXPECT_EQ(Entries(fs.Dir()), std::vector<std::string>{"list.tvn"});
}

TEST(SafeFileWriterLimitsTest, AFullDiskIsReportedAndKeepsTheOldFile) {
  SmallTmpfs fs;
  if (!fs.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
  const std::string path = fs.Dir() + "/list.tvn";
  Put(path, "old");
  EXPECT_EQ(SaveCause(path, std::string(256 * 1024, 'x')), FileCause::diskFull);
  EXPECT_EQ(Slurp(path), "old");
  EXPECT_EQ(Entries(fs.Dir()), std::vector<std::string>{"list.tvn"});
}

// Permission bits as an ordinary user sees them: a file that may not be written is never
// replaced, and a folder that takes no new file is saved into by rewriting the file itself.
TEST_F(SafeFileWriterTest, SavingHonoursTheFileAndFolderPermissions) {
  constexpr int kWriterFailed = 98;
  const struct {
    const char* name;
    bool hasFile;
    mode_t fileMode;
    mode_t folderMode;
    bool writerFails;
    int result;  // a FileCause, or kWriterFailed
    const char* content;
  } cases[] = {
      {"read-only file", true, 0444, 0700, false, int(FileCause::accessDenied), "old"},
      {"read-only file and folder", true, 0444, 0500, false, int(FileCause::accessDenied), "old"},
      {"new file in a read-only folder", false, 0, 0500, false, int(FileCause::accessDenied),
       "<none>"},
      {"file in a read-only folder", true, 0644, 0500, false, int(FileCause::none), "new"},
      {"failed write in a read-only folder", true, 0644, 0500, true, kWriterFailed, "old"},
  };
  const std::string path = m_dir + "/list.tvn";
  for (const auto& c : cases) {
    ::chmod(m_dir.c_str(), 0700);
    ::unlink(path.c_str());
    if (c.hasFile) {
      Put(path, "old");
      ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
    }
    ASSERT_EQ(::chmod(m_dir.c_str(), c.folderMode), 0);
    const int result = testing_support::AsOrdinaryUser(m_dir, [&] {
      try {
        SaveFileSafely(path, [&](CArchive& ar) {
          ar.Write(std::string(10000, 'x'));
          if (c.writerFails) throw CArchiveException(ArchiveCause::generic);
        });
      } catch (const CFileException& e) {
        return int(e.m_cause);
      } catch (const CArchiveException&) {
        return kWriterFailed;
      }
      return int(FileCause::none);
    });
    if (result == testing_support::kCannotSwitch) GTEST_SKIP() << "cannot become an ordinary user";
    EXPECT_EQ(result, c.result) << c.name;
    const std::string content = c.hasFile ? Slurp(path) : "<none>";
    EXPECT_EQ(content == std::string(10000, 'x') ? "new" : content, c.content) << c.name;
    EXPECT_EQ(Entries(m_dir), c.hasFile ? std::vector<std::string>{"list.tvn"}
                                        : std::vector<std::string>{})
        << c.name;
  }
}

TEST_F(SafeFileWriterTest, LoadingReadsOnlyRegularFilesAndReportsTheRest) {
  Put(m_dir + "/empty.tvn", "");
  Put(m_dir + "/full.tvn", "abc");
  ASSERT_EQ(::mkfifo((m_dir + "/fifo.tvn").c_str(), 0600), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = m_dir + "/socket.tvn";
  ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  std::string read;
  const auto reader = [&](CArchive& ar) {
    read.resize(ar.BytesLeft());
    ar.Read(read.data(), read.size());
  };
  EXPECT_FALSE(LoadFile(m_dir + "/empty.tvn", reader));
  EXPECT_TRUE(LoadFile(m_dir + "/full.tvn", reader));
  EXPECT_EQ(read, "abc");
  const auto fileError = [](FileCause cause) { return kFileErrorTextBase + unsigned(cause); };
  const std::pair<std::string, unsigned> failures[] = {
      {m_dir + "/missing.tvn", fileError(FileCause::fileNotFound)},
      {m_dir, fileError(FileCause::accessDenied)},
      {m_dir + "/full.tvn/x", fileError(FileCause::badPath)},
      // Nothing that is no regular file holds a list, and opening one must not wait.
      {m_dir + "/fifo.tvn", kUnexpectedFormatTextId},
      {socketPath, kUnexpectedFormatTextId},
      {"/dev/zero", kUnexpectedFormatTextId},
  };
  for (const auto& [path, textId] : failures) {
    try {
      LoadFile(path, reader);
      ADD_FAILURE() << path;
    } catch (...) {
      const FailureReport report = ReportForFailure(std::current_exception(), path, 0);
      EXPECT_EQ(report.textId, textId) << path;
      EXPECT_EQ(report.path, path);
    }
  }
  ::close(listener);
}

}  // namespace
}  // namespace fw
