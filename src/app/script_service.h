#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "platform/single_instance.h"

namespace doc {
class CClipList;
class CTolvaneDoc;
}

namespace app {

class CTolvaneApp;

// Answers the requests of tolvanectl against the active list:
//   count         the number of items
//   list          every item, each followed by a zero byte
//   read N        item N's bytes
//   copy N        item N onto the clipboard, as the Copy command puts it there
//   add TEXT      TEXT into the list by the rules of a capture
//   watch         a subscription: each text that reaches the head of the list
// Items count from 0 at the head. Texts travel in UTF-8 both ways, converted from and to
// the items' code page as the clipboard's are. Failures answer Failed with a message in
// English.
class ScriptService : public QObject {
  Q_OBJECT

 public:
  explicit ScriptService(CTolvaneApp& app);

  // May move the request's arguments away.
  void OnRequest(platform::InstanceRequest& request, platform::RequestChannel* channel);

 private:
  struct VerbRow;
  static const VerbRow* FindVerb(std::string_view verb);

  void OnCount(platform::InstanceRequest&, platform::RequestChannel*, doc::CTolvaneDoc*);
  void OnList(platform::InstanceRequest&, platform::RequestChannel*, doc::CTolvaneDoc*);
  void OnRead(platform::InstanceRequest&, platform::RequestChannel*, doc::CTolvaneDoc*);
  void OnCopy(platform::InstanceRequest&, platform::RequestChannel*, doc::CTolvaneDoc*);
  void OnAdd(platform::InstanceRequest&, platform::RequestChannel*, doc::CTolvaneDoc*);
  void OnWatch(platform::InstanceRequest&, platform::RequestChannel*, doc::CTolvaneDoc*);
  // The item the request's number names, or null once the channel has its refusal.
  static const std::string* RequestedItem(const platform::InstanceRequest& request,
                                          platform::RequestChannel* channel,
                                          const doc::CTolvaneDoc& doc);

  doc::CTolvaneDoc* ActiveList() const;
  // Sends the head of the active list to every watcher when a capture just put the
  // clipboard's text there.
  void OnClipboardHandled();
  void PushHead(std::string_view item);

  CTolvaneApp& m_app;
  std::vector<QPointer<platform::RequestChannel>> m_watchers;
};

// An item as scripts receive it: up to its first zero byte, in UTF-8. A zero byte can
// thus never split one item of a list answer in two.
std::string ItemForScript(std::string_view item);
std::string ListForScript(const doc::CClipList& items);
// A script's text (UTF-8, no zero byte) as an item, converted as a capture converts.
std::string ItemFromScript(std::string text);

// The item number in `text`: decimal digits only, no sign; -1 otherwise.
int ParseItemNumber(const std::string& text);

}  // namespace app
