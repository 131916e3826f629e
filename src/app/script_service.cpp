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

// One row per verb: its name, how many arguments it takes, whether it works on the
// active list (then the request fails without one), and its handler.
struct ScriptService::VerbRow {
  std::string_view verb;
  std::size_t arity;
  bool needsList;
  void (ScriptService::*handler)(platform::InstanceRequest&, platform::RequestChannel*,
                                 doc::CTolvaneDoc*);
};

const ScriptService::VerbRow* ScriptService::FindVerb(std::string_view verb) {
  static constexpr VerbRow kVerbs[] = {
      {kCountVerb, 0, true, &ScriptService::OnCount},
      {kListVerb, 0, true, &ScriptService::OnList},
      {kReadVerb, 1, true, &ScriptService::OnRead},
      {kCopyVerb, 1, true, &ScriptService::OnCopy},
      {platform::kAddVerb, 1, true, &ScriptService::OnAdd},
      {kWatchVerb, 0, false, &ScriptService::OnWatch},
  };
  const auto* row = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                 [verb](const VerbRow& r) { return r.verb == verb; });
  return row == std::end(kVerbs) ? nullptr : row;
}

void ScriptService::OnRequest(platform::InstanceRequest& request,
                              platform::RequestChannel* channel) {
  const VerbRow* row = FindVerb(request.verb);
  if (!row) return;  // refused as unknown by the caller
  if (request.arguments.size() != row->arity) {
    channel->Answer(AnswerStatus::Refused, "wrong number of arguments");
    return;
  }
  doc::CTolvaneDoc* doc = nullptr;
  if (row->needsList) {
    doc = ActiveList();
    if (!doc) {
      channel->Answer(AnswerStatus::Failed, "no active list");
      return;
    }
  }
  (this->*row->handler)(request, channel, doc);
}

void ScriptService::OnCount(platform::InstanceRequest&, platform::RequestChannel* channel,
                            doc::CTolvaneDoc* doc) {
  channel->Answer(AnswerStatus::Ok, std::to_string(doc->GetItemList().GetCount()));
}

void ScriptService::OnList(platform::InstanceRequest&, platform::RequestChannel* channel,
                           doc::CTolvaneDoc* doc) {
  channel->Answer(AnswerStatus::Ok, ListForScript(doc->GetItemList()));
}

void ScriptService::OnRead(platform::InstanceRequest& request, platform::RequestChannel* channel,
                           doc::CTolvaneDoc* doc) {
  const std::string* item = RequestedItem(request, channel, *doc);
  if (item) channel->Answer(AnswerStatus::Ok, ItemForScript(*item));
}

void ScriptService::OnCopy(platform::InstanceRequest& request, platform::RequestChannel* channel,
                           doc::CTolvaneDoc* doc) {
  const std::string* item = RequestedItem(request, channel, *doc);
  if (!item) return;
  // A copy: writing the clipboard causes a capture that reorders the list.
  const std::string text = *item;
  if (m_app.Clipboard().WriteText(text) == platform::ClipboardStatus::Ok) {
    channel->Answer(AnswerStatus::Ok);
  } else {
    channel->Answer(AnswerStatus::Failed, "the clipboard could not be written");
  }
}

void ScriptService::OnAdd(platform::InstanceRequest& request, platform::RequestChannel* channel,
                          doc::CTolvaneDoc* doc) {
  const doc::CClipList& items = doc->GetItemList();
  std::string text = ItemFromScript(std::move(request.arguments.front()));
  if (text.empty()) {
    channel->Answer(AnswerStatus::Failed, "empty text");
    return;
  }
  if (items.GetCount() >= doc::kMaxCapturedItems && items.Find(text) < 0) {
    // Answered here rather than by the capture's message box, which would wait for
    // someone at the screen.
    channel->Answer(AnswerStatus::Failed, "the list is full");
    return;
  }
  const bool added = doc->AddCapturedText(std::move(text));
  channel->Answer(added ? AnswerStatus::Ok : AnswerStatus::Failed,
                  added ? "" : "the text was not added");
  if (added) PushHead(items.GetAt(0));
}

void ScriptService::OnWatch(platform::InstanceRequest&, platform::RequestChannel* channel,
                            doc::CTolvaneDoc*) {
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
}

const std::string* ScriptService::RequestedItem(const platform::InstanceRequest& request,
                                                platform::RequestChannel* channel,
                                                const doc::CTolvaneDoc& doc) {
  const int number = ParseItemNumber(request.arguments.front());
  if (number < 0) {
    channel->Answer(AnswerStatus::Refused, "not an item number");
    return nullptr;
  }
  const doc::CClipList& items = doc.GetItemList();
  if (number >= items.GetCount()) {
    channel->Answer(AnswerStatus::Failed, "no such item");
    return nullptr;
  }
  return &items.GetAt(number);
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
