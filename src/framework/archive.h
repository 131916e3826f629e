#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

// Where an archive's bytes come from or go to. Errors are thrown (CFileException for a
// file); Read returns fewer bytes than asked only at the end of the data.
class CByteStream {
 public:
  virtual ~CByteStream() = default;
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual void Write(const void* data, std::size_t count) = 0;
  // Bytes from the start to the end of the data, as known when the stream was opened.
  virtual std::uint64_t Size() const = 0;
};

// An open POSIX file descriptor; the stream does not own it. `path` names the file in
// errors.
class CFdStream final : public CByteStream {
 public:
  CFdStream(int fd, std::string path);
  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* data, std::size_t count) override;
  std::uint64_t Size() const override { return m_nSize; }
  const std::string& GetPath() const { return m_strPath; }

 private:
  int m_fd;
  std::string m_strPath;
  std::uint64_t m_nSize = 0;
};

// Bytes held in memory: reads from `data` (which must outlive the stream) and appends
// what is written to Written().
class CMemoryStream final : public CByteStream {
 public:
  CMemoryStream() = default;
  explicit CMemoryStream(std::string_view data) : m_data(data) {}
  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* data, std::size_t count) override;
  std::uint64_t Size() const override { return m_data.size(); }
  const std::string& Written() const { return m_written; }

 private:
  std::string_view m_data;
  std::size_t m_nPosition = 0;
  std::string m_written;
};

// A buffered reader or writer of little-endian integers and byte blocks over a stream,
// with a 4,096-byte buffer. Failures throw CArchiveException (endOfFile when the data
// ends early, readOnly/writeOnly for the wrong direction) or the stream's exceptions.
// A storing archive must be closed with Close() to write out its buffer; destroying it
// without Close() abandons what is buffered.
class CArchive {
 public:
  enum Mode { load, store };
  static constexpr std::size_t kBufferSize = 4096;

  CArchive(CByteStream& stream, Mode mode);
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsLoading() const { return m_mode == load; }
  bool IsStoring() const { return m_mode == store; }

  // Bytes not yet read. Callers compare a length with it before allocating.
  std::uint64_t BytesLeft() const { return m_nStreamLeft + (m_nBufferEnd - m_nBufferPos); }

  std::uint8_t ReadU8() {
    if (m_nBufferPos >= m_nBufferEnd) FillForRead(1);
    return m_buffer[m_nBufferPos++];
  }
  std::uint16_t ReadU16();
  std::uint32_t ReadU32();
  // Exactly `count` bytes, or CArchiveException(endOfFile).
  void Read(void* buffer, std::size_t count);
  // Exactly `count` bytes as a string; the caller has checked count against BytesLeft().
  std::string ReadString(std::size_t count);

  void WriteU8(std::uint8_t value) {
    if (m_nBufferPos >= m_nWriteLimit) FlushForWrite();
    m_buffer[m_nBufferPos++] = value;
  }
  void WriteU16(std::uint16_t value);
  void WriteU32(std::uint32_t value);
  void Write(const void* data, std::size_t count);
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }

  // Writes out what is buffered (storing); nothing for a loading archive.
  void Flush();
  void Close() { Flush(); }

 private:
  // Makes at least `need` (<= kBufferSize) bytes available in the buffer.
  void FillForRead(std::size_t need);
  void FlushForWrite();

  CByteStream& m_stream;
  Mode m_mode;
  std::uint64_t m_nStreamLeft;  // bytes of the stream not yet taken into the buffer
  std::size_t m_nBufferPos = 0;
  std::size_t m_nBufferEnd = 0;   // stays 0 when storing, so every read refuses
  std::size_t m_nWriteLimit;      // 0 when loading, so every write refuses
  unsigned char m_buffer[kBufferSize];
};

}  // namespace fw
