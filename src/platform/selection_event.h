#pragma once

#include <cstddef>
#include <string>

#include "platform/clipboard_port.h"
#include "platform/code_page.h"
#include "platform/selection_text.h"

namespace platform {

// What a selection reader reports for one change of the clipboard. The reader fills in
// what it read, the port finishes the event on the reader's thread (FinishSelectionEvent)
// and takes it on the window's thread.
struct SelectionEvent {
  enum class Kind {
    Content,    // a new selection (or none), read: the fields below
    OwnChange,  // a change the reader takes for one of ours (see OwnWriteRule)
  };
  Kind kind = Kind::Content;
  bool bOwnerNone = false;  // OwnChange only: the clipboard was left without content
  // As reported: Ok with the owner's bytes in `text`, in `encoding`; NoText; NoMemory.
  // Once finished: Ok with the item in `text`, in `codePage`; NoText; NoMemory.
  ClipboardStatus status = ClipboardStatus::NoText;
  std::string text;
  SelectionEncoding encoding = SelectionEncoding::Utf8;
  CodePage codePage = CodePage::Utf8;
  std::string textCopy;   // finished: a copy of `text`, or empty
  std::string spareCopy;  // finished, a large text: one more copy, for the list item
  bool bHasText = false;  // finished: there is a text, or memory ran out reading one
  bool bHasAnyFormat = false;
  // How many of our own changes the reader had seen when it reported this one.
  int nOwnSeen = 0;
};

// From this size on the reader's thread also makes the spare copy: copying a large text
// into fresh memory costs milliseconds a megabyte, which the window's thread would spend.
constexpr std::size_t kSpareCopyMinBytes = std::size_t{1} << 20;

// Makes the reported bytes an item: decoded, cut at the first zero, converted to the
// system code page (where that changes nothing, without a copy). An empty text is NoText;
// running out of memory is NoMemory. Sets `codePage` and `bHasText`.
void ConvertSelectionText(SelectionEvent& event);

// On the reader's thread: the conversion, then the copies the window's thread takes
// instead of copying (a copy that cannot be made is left out: the window's thread copies).
void FinishSelectionEvent(SelectionEvent& event);

}  // namespace platform
