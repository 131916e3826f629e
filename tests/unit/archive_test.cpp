#include "framework/archive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <new>
#include <string>

#include "framework/file_exception.h"
#include "resources/command_ids.h"

namespace fw {
namespace {

ArchiveCause CauseOf(auto&& action) {
  try {
    action();
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return ArchiveCause::none;
}

TEST(ArchiveTest, IntegersAreLittleEndianBothWays) {
  CMemoryStream sink;
  CArchive out(sink, CArchive::store);
  out.WriteU8(0x01);
  out.WriteU16(0x0302);
  out.WriteU32(0x07060504);
  out.Write(std::string_view("\x08\x00", 2));
  out.Close();
  const std::string bytes("\x01\x02\x03\x04\x05\x06\x07\x08\x00", 9);
  EXPECT_EQ(sink.Written(), bytes);

  CMemoryStream source(bytes);
  CArchive in(source, CArchive::load);
  EXPECT_EQ(in.BytesLeft(), 9u);
  EXPECT_EQ(in.ReadU8(), 0x01);
  EXPECT_EQ(in.ReadU16(), 0x0302);
  EXPECT_EQ(in.ReadU32(), 0x07060504u);
  EXPECT_EQ(in.BytesLeft(), 2u);
  char tail[2];
  in.Read(tail, 2);
  EXPECT_EQ(in.BytesLeft(), 0u);
  EXPECT_EQ(CauseOf([&] { in.ReadU8(); }), ArchiveCause::endOfFile);
}

// Blocks that straddle the buffer, fill it exactly and exceed it come back unchanged.
TEST(ArchiveTest, BlocksOfEverySizeAroundTheBufferRoundTrip) {
  std::string expected;
  CMemoryStream sink;
  CArchive out(sink, CArchive::store);
  for (std::size_t size : {1u, 4095u, 4096u, 4097u, 3u, 10000u, 0u, 8192u}) {
    const std::string block(size, static_cast<char>('a' + size % 26));
    out.WriteU8(static_cast<std::uint8_t>(size));
    out.Write(block);
    expected += static_cast<char>(size);
    expected += block;
  }
  out.Close();
  ASSERT_EQ(sink.Written(), expected);

  CMemoryStream source(expected);
  CArchive in(source, CArchive::load);
  std::size_t pos = 0;
  for (std::size_t size : {1u, 4095u, 4096u, 4097u, 3u, 10000u, 0u, 8192u}) {
    EXPECT_EQ(in.ReadU8(), static_cast<std::uint8_t>(size));
    std::string block(size, '\0');
    in.Read(block.data(), size);
    EXPECT_EQ(block, expected.substr(pos + 1, size));
    pos += 1 + size;
    EXPECT_EQ(in.BytesLeft(), expected.size() - pos);
  }
}

TEST(ArchiveTest, ShortDataAndTheWrongDirectionAreRefused) {
  const std::string three("\x01\x02\x03", 3);
  struct Case {
    const char* name;
    std::function<void(CArchive&)> action;
    CArchive::Mode mode;
    ArchiveCause cause;
  };
  char block[5000];
  const Case cases[] = {
      {"u32 of 3 bytes", [](CArchive& a) { a.ReadU32(); }, CArchive::load, ArchiveCause::endOfFile},
      {"block of 4", [&](CArchive& a) { a.Read(block, 4); }, CArchive::load, ArchiveCause::endOfFile},
      {"large block", [&](CArchive& a) { a.Read(block, 5000); }, CArchive::load, ArchiveCause::endOfFile},
      {"write while loading", [](CArchive& a) { a.WriteU8(1); }, CArchive::load, ArchiveCause::readOnly},
      {"block write while loading", [](CArchive& a) { a.Write("x"); }, CArchive::load, ArchiveCause::readOnly},
      {"read while storing", [](CArchive& a) { a.ReadU8(); }, CArchive::store, ArchiveCause::writeOnly},
      {"block read while storing", [&](CArchive& a) { a.Read(block, 1); }, CArchive::store, ArchiveCause::writeOnly},
  };
  for (const Case& c : cases) {
    CMemoryStream stream(three);
    CArchive archive(stream, c.mode);
    if (c.mode == CArchive::store) archive.WriteU8(7);
    EXPECT_EQ(CauseOf([&] { c.action(archive); }), c.cause) << c.name;
  }
}

TEST(FileExceptionTest, ErrnoMapsToTheNearestCause) {
  const std::pair<int, FileCause> cases[] = {
      {0, FileCause::none},
      {ENOENT, FileCause::fileNotFound},
      {ENOTDIR, FileCause::badPath},
      {ENAMETOOLONG, FileCause::badPath},
      {ELOOP, FileCause::badPath},
      {EMFILE, FileCause::tooManyOpenFiles},
      {ENFILE, FileCause::tooManyOpenFiles},
      {EACCES, FileCause::accessDenied},
      {EPERM, FileCause::accessDenied},
      {EROFS, FileCause::accessDenied},
      {EISDIR, FileCause::accessDenied},
      {EBADF, FileCause::invalidFile},
      {ENOSPC, FileCause::diskFull},
      {EDQUOT, FileCause::diskFull},
      {EIO, FileCause::hardIO},
      {ESPIPE, FileCause::badSeek},
      {EBUSY, FileCause::sharingViolation},
      {ETXTBSY, FileCause::sharingViolation},
      {EDEADLK, FileCause::lockViolation},
      {ENOLCK, FileCause::lockViolation},
      {EINVAL, FileCause::generic},
      {ECONNRESET, FileCause::generic},
  };
  for (const auto& [error, cause] : cases) {
    EXPECT_EQ(FileCauseFromErrno(error), cause) << "errno " << error;
  }
}

TEST(FileExceptionTest, ReportRulesPickTextAndPath) {
  constexpr unsigned kDefault = res::IDS_FAILED_OPEN_DOC;
  struct Case {
    std::exception_ptr error;
    unsigned textId;
    std::string path;
  };
  const auto archive = [](ArchiveCause c) { return std::make_exception_ptr(CArchiveException(c)); };
  const Case cases[] = {
      {archive(ArchiveCause::endOfFile), res::IDS_UNEXPECTED_FORMAT, "/given"},
      {archive(ArchiveCause::badIndex), res::IDS_UNEXPECTED_FORMAT, "/given"},
      {archive(ArchiveCause::badClass), res::IDS_UNEXPECTED_FORMAT, "/given"},
      {archive(ArchiveCause::badSchema), res::IDS_UNEXPECTED_FORMAT, "/given"},
      {archive(ArchiveCause::generic), kDefault, "/given"},
      {archive(ArchiveCause::readOnly), kDefault, "/given"},
      {std::make_exception_ptr(CFileException(FileCause::diskFull, ENOSPC, "/own")),
       res::IDS_FILE_ERROR_BASE + 13, "/own"},
      {std::make_exception_ptr(CFileException(FileCause::endOfFile, 0, "")),
       res::IDS_FILE_ERROR_BASE + 14, "/given"},
      {std::make_exception_ptr(std::bad_alloc()), kDefault, "/given"},
      {nullptr, kDefault, "/given"},
  };
  for (const Case& c : cases) {
    const FailureReport report = ReportForFailure(c.error, "/given", kDefault);
    EXPECT_EQ(report.textId, c.textId);
    EXPECT_EQ(report.path, c.path);
  }
  EXPECT_EQ(kUnexpectedFormatTextId, res::IDS_UNEXPECTED_FORMAT);
  EXPECT_EQ(kFileErrorTextBase, res::IDS_FILE_ERROR_BASE);
  EXPECT_EQ(kArchiveErrorTextBase, res::IDS_ARCHIVE_ERROR_BASE);
}

}  // namespace
}  // namespace fw
