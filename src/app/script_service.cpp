#include "app/script_service.h"

#include <algorithm>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/mdi_child_wnd.h"
#include "platform/clipboard_port.h"
#include "platform/code_page.h"
#include "platform/selection_text.h"

namespace app {
namespace {

using platform::AnswerStatus;

constexpr std::string_view kCountVerb = "count";
constexpr std::string_view kListVerb = "list";
constexpr std::string_view kReadVerb = "read";
constexpr std::string_view kCopyVerb = "copy";
constexpr std::string_view kWatchVerb = "watch";

}  // namespace

std::string ItemForScript(std::string_view item) {
  // Up to the first zero byte, as the list shows it and Copy puts it on the clipboard.
  return platform::ToUtf8(item.substr(0, item.find('\0')), platform::SystemCodePage());
}

std::string ListForScript(const doc::CClipList& items) {
  std::string payload;
  for (int i = 0; i < items.GetCount(); ++i) {
    payload += ItemForScript(items.GetAt(i));
    payload.push_back('\0');
  }
  return payload;
}

std::string ItemFromScript(std::string text) {
  return platform::SelectionTextToItem(std::move(text), platform::SelectionEncoding::Utf8,
                                       platform::SystemCodePage());
}

int ParseItemNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return -1;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return -1;
  }
  return std::stoi(text);
}

ScriptService::ScriptService(CTolvaneApp& app) : m_app(app) {}

doc::CTolvaneDoc* ScriptService::ActiveList() const {
  CMainFrame* frame = m_app.MainFrame();
  fw::CMDIChildWnd* child = frame ? frame->MDIGetActive() : nullptr;
  return child ? dynamic_cast<doc::CTolvaneDoc*>(child->GetActiveDocument()) : nullptr;
}

void ScriptService::OnRequest(platform::InstanceRequest& request,
                              platform::RequestChannel* channel) {
  const std::string_view verb = request.verb;
  const std::size_t wanted = (verb == kReadVerb || verb == kCopyVerb || verb == platform::kAddVerb)
                                 ? 1
                                 : 0;
  const bool known = verb == kCountVerb || verb == kListVerb || verb == kReadVerb ||
                     verb == kCopyVerb || verb == platform::kAddVerb || verb == kWatchVerb;
  if (!known) return;  // refused as unknown by the caller
  if (request.arguments.size() != wanted) {
    channel->Answer(AnswerStatus::Refused, "wrong number of arguments");
    return;
  }
  if (verb == kWatchVerb) {
    CMainFrame* frame = m_app.MainFrame();
    if (!frame) {
      channel->Answer(AnswerStatus::Failed, "no window to watch");
      return;
    }
    // Told as soon as the frame has captured a text, before its views redraw.
    connect(frame, &CMainFrame::ClipboardHandled, this, &ScriptService::OnClipboardHandled,
            Qt::UniqueConnection);
    channel->KeepOpen();
    m_watchers.emplace_back(channel);
    return;
  }
  doc::CTolvaneDoc* doc = ActiveList();
  if (!doc) {
    channel->Answer(AnswerStatus::Failed, "no active list");
    return;
  }
  const doc::CClipList& items = doc->GetItemList();
  if (verb == kCountVerb) {
    channel->Answer(AnswerStatus::Ok, std::to_string(items.GetCount()));
  } else if (verb == kListVerb) {
    channel->Answer(AnswerStatus::Ok, ListForScript(items));
  } else if (verb == platform::kAddVerb) {
    std::string text = ItemFromScript(std::move(request.arguments.front()));
    if (text.empty()) {
      channel->Answer(AnswerStatus::Failed, "empty text");
    } else if (items.GetCount() >= doc::kMaxCapturedItems && items.Find(text) < 0) {
      // Answered here rather than by the capture's message box, which would wait for
      // someone at the screen.
      channel->Answer(AnswerStatus::Failed, "the list is full");
    } else {
      const bool added = doc->AddCapturedText(std::move(text));
      channel->Answer(added ? AnswerStatus::Ok : AnswerStatus::Failed,
                      added ? "" : "the text was not added");
      if (added) PushHead(items.GetAt(0));
    }
  } else {
    const int number = ParseItemNumber(request.arguments.front());
    if (number < 0) {
      channel->Answer(AnswerStatus::Refused, "not an item number");
      return;
    }
    if (number >= items.GetCount()) {
      channel->Answer(AnswerStatus::Failed, "no such item");
      return;
    }
    // A copy: writing the clipboard causes a capture that reorders the list.
    const std::string text = items.GetAt(number);
    if (verb == kReadVerb) {
      channel->Answer(AnswerStatus::Ok, ItemForScript(text));
    } else if (m_app.Clipboard().WriteText(text) == platform::ClipboardStatus::Ok) {
      channel->Answer(AnswerStatus::Ok);
    } else {
      channel->Answer(AnswerStatus::Failed, "the clipboard could not be written");
    }
  }
}

void ScriptService::OnClipboardHandled() {
  std::erase_if(m_watchers, [](const auto& watcher) { return watcher.isNull(); });
  if (m_watchers.empty()) return;
  const doc::CTolvaneDoc* doc = ActiveList();
  if (!doc || doc->GetItemList().GetCount() == 0) return;
  const std::string& head = doc->GetItemList().GetAt(0);
  if (head == doc->Capture().ClipText()) PushHead(head);
}

void ScriptService::PushHead(std::string_view item) {
  std::vector<platform::RequestChannel*> watchers;
  for (const auto& watcher : m_watchers) {
    if (watcher) watchers.push_back(watcher);
  }
  if (watchers.empty()) return;
  // An item that needs no converting goes into the event as it is: one copy, not two.
  const std::string_view shown = item.substr(0, item.find('\0'));
  if (platform::SystemCodePage() == platform::CodePage::Utf8 && platform::IsWellFormedUtf8(shown)) {
    platform::RequestChannel::PushToAll(watchers, shown);
    return;
  }
  platform::RequestChannel::PushToAll(watchers, ItemForScript(item));
}

}  // namespace app
