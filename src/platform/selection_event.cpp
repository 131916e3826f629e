#include "platform/selection_event.h"

#include <new>

namespace platform {

void ConvertSelectionText(SelectionEvent& event) {
  event.codePage = SystemCodePage();
  if (event.status == ClipboardStatus::Ok) {
    try {
      event.text = SelectionTextToItem(std::move(event.text), event.encoding, event.codePage);
      if (event.text.empty()) event.status = ClipboardStatus::NoText;
    } catch (const std::bad_alloc&) {
      std::string().swap(event.text);
      event.status = ClipboardStatus::NoMemory;
    }
  }
  event.bHasText = event.status != ClipboardStatus::NoText;
}

void FinishSelectionEvent(SelectionEvent& event) {
  ConvertSelectionText(event);
  try {
    event.textCopy = event.text;
    if (event.text.size() >= kSpareCopyMinBytes) event.spareCopy = event.text;
  } catch (const std::bad_alloc&) {
    std::string().swap(event.textCopy);
    std::string().swap(event.spareCopy);
  }
}

}  // namespace platform
