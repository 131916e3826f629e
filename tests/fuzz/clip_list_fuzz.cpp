// Feeds arbitrary bytes to the clip list reader. Anything but a clean list or a format
// error (or a refusal to hold an impossible list) is a finding; the sanitizers catch
// reads and writes outside buffers. A list that reads back must also write and read
// back to the same items.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string_view>

#include "document/clip_list_serializer.h"
#include "framework/file_exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  doc::CClipList list;
  try {
    fw::CMemoryStream source(bytes);
    fw::CArchive in(source, fw::CArchive::load);
    doc::ReadClipList(in, list, platform::CodePage::Utf8);
  } catch (const fw::CArchiveException& e) {
    if (e.m_cause != fw::ArchiveCause::endOfFile) std::abort();
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }

  fw::CMemoryStream sink;
  fw::CArchive out(sink, fw::CArchive::store);
  doc::WriteClipList(out, list);
  out.Close();
  fw::CMemoryStream again(sink.Written());
  fw::CArchive in(again, fw::CArchive::load);
  doc::CClipList reread;
  doc::ReadClipList(in, reread, platform::CodePage::Utf8);
  if (reread.GetCount() != list.GetCount()) std::abort();
  for (int i = 0; i < list.GetCount(); ++i) {
    if (reread.GetAt(i) != list.GetAt(i)) std::abort();
  }
  return 0;
}
