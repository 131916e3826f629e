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

TEST_F(SafeFileWriterTest, AFailingWriterLeavesTheOldFileAndNoTemporaryFile) {
  const std::string path = m_dir + "/list.tvn";
  Put(path, "old");
  EXPECT_THROW(SaveFileSafely(path, [&](CArchive& ar) {
                 ar.Write(std::string(10000, 'x'));
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
