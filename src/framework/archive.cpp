#include "framework/archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "framework/file_exception.h"

namespace fw {

CFdStream::CFdStream(int fd, std::string path) : m_fd(fd), m_strPath(std::move(path)) {
  struct stat st;
  if (fstat(m_fd, &st) != 0) throw CFileException::FromErrno(errno, m_strPath);
  if (S_ISREG(st.st_mode)) m_nSize = static_cast<std::uint64_t>(st.st_size);
}

std::size_t CFdStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(m_fd, out + done, count - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw CFileException::FromErrno(errno, m_strPath);
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void CFdStream::Write(const void* data, std::size_t count) {
  const auto* in = static_cast<const char*>(data);
  while (count > 0) {
    const ssize_t n = ::write(m_fd, in, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw CFileException::FromErrno(errno, m_strPath);
    }
    if (n == 0) throw CFileException::FromErrno(ENOSPC, m_strPath);
    in += n;
    count -= static_cast<std::size_t>(n);
  }
}

std::size_t CMemoryStream::Read(void* buffer, std::size_t count) {
  const std::size_t n = std::min(count, m_data.size() - m_nPosition);
  if (n > 0) std::memcpy(buffer, m_data.data() + m_nPosition, n);
  m_nPosition += n;
  return n;
}

void CMemoryStream::Write(const void* data, std::size_t count) {
  m_written.append(static_cast<const char*>(data), count);
}

CArchive::CArchive(CByteStream& stream, Mode mode)
    : m_stream(stream), m_mode(mode), m_nStreamLeft(mode == load ? stream.Size() : 0),
      m_nWriteLimit(mode == store ? kBufferSize : 0) {}

void CArchive::FillForRead(std::size_t need) {
  if (m_mode != load) throw CArchiveException(ArchiveCause::writeOnly);
  const std::size_t have = m_nBufferEnd - m_nBufferPos;
  if (have >= need) return;
  if (have > 0) std::memmove(m_buffer, m_buffer + m_nBufferPos, have);
  m_nBufferPos = 0;
  m_nBufferEnd = have;
  // Only ask for what the stream said it holds, so BytesLeft() stays an upper bound.
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize - have, m_nStreamLeft));
  const std::size_t got = want > 0 ? m_stream.Read(m_buffer + have, want) : 0;
  m_nBufferEnd += got;
  m_nStreamLeft = got < want ? 0 : m_nStreamLeft - got;
  if (m_nBufferEnd < need) throw CArchiveException(ArchiveCause::endOfFile);
}

std::uint16_t CArchive::ReadU16() {
  FillForRead(2);
  const unsigned char* p = m_buffer + m_nBufferPos;
  m_nBufferPos += 2;
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t CArchive::ReadU32() {
  FillForRead(4);
  const unsigned char* p = m_buffer + m_nBufferPos;
  m_nBufferPos += 4;
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void CArchive::Read(void* buffer, std::size_t count) {
  if (m_mode != load) throw CArchiveException(ArchiveCause::writeOnly);
  auto* out = static_cast<unsigned char*>(buffer);
  const std::size_t fromBuffer = std::min(count, m_nBufferEnd - m_nBufferPos);
  if (fromBuffer > 0) std::memcpy(out, m_buffer + m_nBufferPos, fromBuffer);
  m_nBufferPos += fromBuffer;
  out += fromBuffer;
  count -= fromBuffer;
  if (count == 0) return;
  if (count >= kBufferSize) {
    // A large block goes straight from the stream into the caller's memory.
    if (count > m_nStreamLeft) throw CArchiveException(ArchiveCause::endOfFile);
    const std::size_t got = m_stream.Read(out, count);
    m_nStreamLeft = got < count ? 0 : m_nStreamLeft - got;
    if (got < count) throw CArchiveException(ArchiveCause::endOfFile);
    return;
  }
  FillForRead(count);
  std::memcpy(out, m_buffer + m_nBufferPos, count);
  m_nBufferPos += count;
}

std::string CArchive::ReadString(std::size_t count) {
  if (count <= m_nBufferEnd - m_nBufferPos) {
    // The common short item: one copy straight out of the buffer.
    std::string text(reinterpret_cast<const char*>(m_buffer + m_nBufferPos), count);
    m_nBufferPos += count;
    return text;
  }
  std::string text(count, '\0');
  Read(text.data(), count);
  return text;
}

void CArchive::FlushForWrite() {
  if (m_mode != store) throw CArchiveException(ArchiveCause::readOnly);
  if (m_nBufferPos > 0) m_stream.Write(m_buffer, m_nBufferPos);
  m_nBufferPos = 0;
}

void CArchive::WriteU16(std::uint16_t value) {
  WriteU8(static_cast<std::uint8_t>(value));
  WriteU8(static_cast<std::uint8_t>(value >> 8));
}

void CArchive::WriteU32(std::uint32_t value) {
  WriteU16(static_cast<std::uint16_t>(value));
  WriteU16(static_cast<std::uint16_t>(value >> 16));
}

void CArchive::Write(const void* data, std::size_t count) {
  if (m_mode != store) throw CArchiveException(ArchiveCause::readOnly);
  const auto* in = static_cast<const unsigned char*>(data);
  if (m_nBufferPos + count <= kBufferSize) {
    if (count > 0) std::memcpy(m_buffer + m_nBufferPos, in, count);
    m_nBufferPos += count;
    return;
  }
  FlushForWrite();
  if (count >= kBufferSize) {
    m_stream.Write(in, count);
    return;
  }
  std::memcpy(m_buffer, in, count);
  m_nBufferPos = count;
}

void CArchive::Flush() {
  if (m_mode == store) FlushForWrite();
}

}  // namespace fw
