#include "platform/x11_selection_reader.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <poll.h>
#include <vector>

#include "platform/selection_text.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Names interned once; the order is the order of AtomId.
enum AtomId {
  kClipboard,
  kTargets,
  kMultiple,
  kTimestamp,
  kSaveTargets,
  kIncr,
  kUtf8String,
  kTextPlainUtf8,
  kTextPlain,
  kString,
  kText,
  kPasswordHint,
  kTransfer,
  kTextTransfer,
  kAtomCount
};
const char* const kAtomNames[kAtomCount] = {
    "CLIPBOARD",
    "TARGETS",
    "MULTIPLE",
    "TIMESTAMP",
    "SAVE_TARGETS",
    "INCR",
    "UTF8_STRING",
    "text/plain;charset=utf-8",
    "text/plain",
    "STRING",
    "TEXT",
    kPasswordHintType,
    "TOLVANE_CLIPBOARD_TRANSFER",  // where owners put their answers to us
    "TOLVANE_CLIPBOARD_TEXT",      // where the text asked for with the targets goes
};

// The text targets to ask for, best first.
const AtomId kTextTargets[] = {kUtf8String, kTextPlainUtf8, kTextPlain, kString, kText};

// Asking for a whole property at once: the server sends what there is.
constexpr std::uint32_t kWholeProperty = 0x1FFFFFFF;

// Not an XFixes subtype: the read at start, of whoever owns the clipboard then.
constexpr std::uint8_t kStartSubtype = 0xFF;

struct OwnerChange {
  xcb_window_t owner = XCB_NONE;
  std::uint8_t subtype = XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
  xcb_timestamp_t time = XCB_CURRENT_TIME;
};

// One answer of the owner: the property's bytes and type, or why there are none.
struct Fetched {
  enum class Result { Ok, Refused, Failed } result = Result::Failed;
  std::string bytes;
  xcb_atom_t type = XCB_NONE;
};

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &std::free);
}

}  // namespace

// The reader's connection and its state, used on the reader's thread once connected.
class X11SelectionReader::Worker {
 public:
  Worker(X11SelectionReader& reader, std::uint32_t ownBase, std::uint32_t ownMask)
      : m_reader(reader), m_nOwnBase(ownBase), m_nOwnMask(ownMask) {}
  ~Worker() {
    if (m_pConnection) xcb_disconnect(m_pConnection);
  }

  bool Connect();
  void Run();
  std::uint32_t Atom(AtomId id) const { return m_atoms[id]; }

 private:
  xcb_generic_event_t* NextEvent(Clock::time_point deadline, bool bForever);
  void Dispatch(const xcb_generic_event_t* event);
  bool IsOwnerChange(const xcb_generic_event_t* event) const;
  void NoteOwnerChange(const OwnerChange& change);
  bool IsOwn(const OwnerChange& change) const;
  void Process(const OwnerChange& change);
  SelectionEvent Read(xcb_timestamp_t time);
  void Ask(xcb_atom_t target, AtomId property, xcb_timestamp_t time);
  Fetched Await(xcb_atom_t target, AtomId property, xcb_timestamp_t time, bool bWanted = true);
  bool IsAnswer(const xcb_generic_event_t* event, xcb_atom_t target, AtomId property,
                xcb_timestamp_t time);
  Fetched Answer(const xcb_selection_notify_event_t& notify, AtomId property, bool bWanted,
                 xcb_timestamp_t time);
  Fetched Fetch(xcb_atom_t target, xcb_timestamp_t time);
  Fetched TakeProperty(AtomId property);
  xcb_get_property_cookie_t AskProperty(AtomId property, bool bDelete);
  Fetched PropertyReply(AtomId property, xcb_get_property_cookie_t cookie, bool bDeleted);
  void DropEarlyTake();
  Fetched ReadIncrementally(AtomId property, std::size_t sizeHint);
  // Whether the owners' changes of our window's properties are reported.
  void WatchProperties(bool bWatch);
  bool Interrupted() const { return m_bStop || m_bAbort; }

  X11SelectionReader& m_reader;
  std::uint32_t m_nOwnBase;
  std::uint32_t m_nOwnMask;
  xcb_connection_t* m_pConnection = nullptr;
  xcb_window_t m_window = XCB_NONE;
  std::uint8_t m_nFixesEventBase = 0;
  std::uint32_t m_atoms[kAtomCount] = {};
  // The newest change of another program's clipboard not read yet.
  std::optional<OwnerChange> m_pending;
  // The answer to the early text request that came while another answer was awaited.
  std::optional<xcb_selection_notify_event_t> m_earlyAnswer;
  // The early text's property, asked for in the same flight as another answer's and not
  // yet taken: its reply waits in the connection until the text is wanted or dropped.
  std::optional<xcb_get_property_cookie_t> m_earlyTake;
  // The early text request is asked and its answer not yet taken or dropped. Its owner
  // may be answering in pieces: some owners take the deletion of any property of our
  // window as the go-ahead for the next piece, so no other property is deleted meanwhile.
  bool m_bEarlyInFlight = false;
  bool m_bAbort = false;  // the read in progress is out of date
  bool m_bStop = false;
};

bool X11SelectionReader::Worker::Connect() {
  m_pConnection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(m_pConnection)) return false;
  const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(m_pConnection, &xcb_xfixes_id);
  if (!fixes || !fixes->present) return false;
  m_nFixesEventBase = fixes->first_event;
  auto version = Own(xcb_xfixes_query_version_reply(
      m_pConnection, xcb_xfixes_query_version(m_pConnection, 1, 0), nullptr));
  if (!version) return false;

  xcb_intern_atom_cookie_t cookies[kAtomCount];
  for (int i = 0; i < kAtomCount; ++i) {
    const auto length = static_cast<std::uint16_t>(std::strlen(kAtomNames[i]));
    cookies[i] = xcb_intern_atom(m_pConnection, 0, length, kAtomNames[i]);
  }
  for (int i = 0; i < kAtomCount; ++i) {
    auto reply = Own(xcb_intern_atom_reply(m_pConnection, cookies[i], nullptr));
    if (!reply) return false;
    m_atoms[i] = reply->atom;
  }

  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection)).data;
  if (!screen) return false;
  m_window = xcb_generate_id(m_pConnection);
  // Property changes are watched only during a transfer in pieces (WatchProperties): the
  // answers of every copy would otherwise wake this thread for each change they make.
  xcb_create_window(m_pConnection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
  xcb_xfixes_select_selection_input(
      m_pConnection, m_window, m_atoms[kClipboard],
      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  xcb_flush(m_pConnection);
  return !xcb_connection_has_error(m_pConnection);
}

void X11SelectionReader::Worker::Run() {
  // The clipboard at start: whoever owns it now (changes from here on come as events).
  auto owner = Own(xcb_get_selection_owner_reply(
      m_pConnection, xcb_get_selection_owner(m_pConnection, m_atoms[kClipboard]), nullptr));
  OwnerChange start;
  start.owner = owner ? owner->owner : XCB_NONE;
  start.subtype = kStartSubtype;
  m_pending = start;
  while (!m_bStop) {
    while (m_pending && !m_bStop) {
      const OwnerChange change = *m_pending;
      m_pending.reset();
      Process(change);
    }
    if (m_bStop) break;
    xcb_generic_event_t* event = NextEvent({}, true);
    if (!event) continue;
    Dispatch(event);
    std::free(event);
  }
}

// The next event, or null at the deadline, on a stop request or when the connection broke.
xcb_generic_event_t* X11SelectionReader::Worker::NextEvent(Clock::time_point deadline,
                                                           bool bForever) {
  while (!m_bStop) {
    if (xcb_generic_event_t* event = xcb_poll_for_event(m_pConnection)) return event;
    if (xcb_connection_has_error(m_pConnection)) {
      m_bStop = true;
      break;
    }
    int timeoutMs = -1;
    if (!bForever) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return nullptr;
      timeoutMs = static_cast<int>(left);
    }
    pollfd fds[2] = {{xcb_get_file_descriptor(m_pConnection), POLLIN, 0},
                     {m_reader.WakeFd(), POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) < 0) continue;
    if (fds[1].revents != 0) m_bStop = true;
  }
  return nullptr;
}

bool X11SelectionReader::Worker::IsOwnerChange(const xcb_generic_event_t* event) const {
  return (event->response_type & 0x7F) == m_nFixesEventBase + XCB_XFIXES_SELECTION_NOTIFY;
}

// Events outside a transfer: only owner changes matter.
void X11SelectionReader::Worker::Dispatch(const xcb_generic_event_t* event) {
  if (!IsOwnerChange(event)) return;
  const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
  NoteOwnerChange({notify->owner, notify->subtype, notify->timestamp});
}

bool X11SelectionReader::Worker::IsOwn(const OwnerChange& change) const {
  if (change.subtype != XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER) return false;
  if (change.owner == XCB_NONE) return true;
  return m_nOwnMask != 0 && (change.owner & ~m_nOwnMask) == m_nOwnBase;
}

// A change during a read makes that read out of date. Our own changes are reported at
// once and in order, since the window's thread counts them; another program's change
// waits for the reading loop, which keeps only the newest.
void X11SelectionReader::Worker::NoteOwnerChange(const OwnerChange& change) {
  m_bAbort = true;
  m_reader.m_nNewestChangeTime.store(change.time);
  if (IsOwn(change)) {
    m_pending.reset();
    m_reader.ReportOwnChange(change.owner == XCB_NONE);
    return;
  }
  m_pending = change;
}

void X11SelectionReader::Worker::Process(const OwnerChange& change) {
  SelectionEvent event;
  m_bAbort = false;
  // An owner that went away takes its content with it.
  const bool bNewOwner = change.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ||
                         change.subtype == kStartSubtype;
  if (change.owner != XCB_NONE && bNewOwner) {
    event = Read(change.time);
  }
  if (Interrupted()) return;
  m_reader.Report(std::move(event));
}

// The targets and the likeliest text (UTF8_STRING, which nearly every owner offers) are
// asked for in one flight, so a copy costs the owner one round trip. The early text is
// used only when the targets offer it and carry no secret hint; otherwise it is awaited,
// so that it cannot be taken for a later answer, and dropped.
SelectionEvent X11SelectionReader::Worker::Read(xcb_timestamp_t time) {
  SelectionEvent event;
  event.bHasAnyFormat = true;  // there is an owner, whether or not it answers
  m_bEarlyInFlight = false;  // an earlier read may have ended while its text was coming
  DropEarlyTake();
  const xcb_atom_t earlyTarget = m_atoms[kUtf8String];
  Ask(m_atoms[kTargets], kTransfer, time);
  Ask(earlyTarget, kTextTransfer, time);
  xcb_flush(m_pConnection);
  const Fetched targets = Await(m_atoms[kTargets], kTransfer, time);
  if (targets.result == Fetched::Result::Failed) return event;

  std::vector<xcb_atom_t> offered;
  if (targets.result == Fetched::Result::Ok && targets.type == XCB_ATOM_ATOM) {
    const auto* atoms = reinterpret_cast<const xcb_atom_t*>(targets.bytes.data());
    for (std::size_t i = 0; i < targets.bytes.size() / sizeof(xcb_atom_t); ++i) {
      const xcb_atom_t atom = atoms[i];
      if (atom == m_atoms[kTargets] || atom == m_atoms[kMultiple] ||
          atom == m_atoms[kTimestamp] || atom == m_atoms[kSaveTargets]) {
        continue;
      }
      offered.push_back(atom);
    }
  }
  const bool bListed = targets.result == Fetched::Result::Ok;
  const auto isOffered = [&](xcb_atom_t atom) {
    return std::find(offered.begin(), offered.end(), atom) != offered.end();
  };
  if (bListed) event.bHasAnyFormat = !offered.empty();

  // An owner that cannot list its targets may still give text when asked for it.
  xcb_atom_t target = bListed ? XCB_NONE : earlyTarget;
  for (const AtomId id : kTextTargets) {
    if (bListed && isOffered(m_atoms[id])) {
      target = m_atoms[id];
      break;
    }
  }
  bool bSecret = false;
  if (isOffered(m_atoms[kPasswordHint])) {
    const Fetched hint = Fetch(m_atoms[kPasswordHint], time);
    if (Interrupted()) return event;
    bSecret = IsSecretHintValue(hint.bytes);
  }
  const bool bEarlyWanted = !bSecret && target == earlyTarget;
  Fetched early = Await(earlyTarget, kTextTransfer, time, bEarlyWanted);
  if (bSecret || target == XCB_NONE || Interrupted()) return event;
  Fetched text = target == earlyTarget ? std::move(early) : Fetch(target, time);
  if (text.result != Fetched::Result::Ok) return event;

  // The port makes the bytes an item, still on this thread.
  event.status = ClipboardStatus::Ok;
  event.text = std::move(text.bytes);
  event.encoding =
      text.type == XCB_ATOM_STRING ? SelectionEncoding::Latin1 : SelectionEncoding::Utf8;
  return event;
}

// Asks the owner to put `target` into `property` of our window; the caller flushes.
void X11SelectionReader::Worker::Ask(xcb_atom_t target, AtomId property, xcb_timestamp_t time) {
  if (property == kTextTransfer) {
    m_earlyAnswer.reset();
    m_bEarlyInFlight = true;
  }
  // A property that is not deleted here is replaced by the answer all the same.
  if (property == kTextTransfer || !m_bEarlyInFlight) {
    xcb_delete_property(m_pConnection, m_window, m_atoms[property]);
  }
  xcb_convert_selection(m_pConnection, m_window, m_atoms[kClipboard], target, m_atoms[property],
                        time);
}

// Waits for the owner's answer to Ask, giving up after the owner has made no progress for
// the give-up time, or when a newer change or a stop comes first. An answer stamped with
// another request's time is a late one to an earlier read, and is passed over; the answer
// to the early text request is kept when it comes while another one is awaited. An answer
// not `bWanted` is dropped unread.
Fetched X11SelectionReader::Worker::Await(xcb_atom_t target, AtomId property,
                                          xcb_timestamp_t time, bool bWanted) {
  if (property == kTextTransfer && m_earlyTake) {
    const xcb_get_property_cookie_t cookie = *m_earlyTake;
    m_earlyTake.reset();
    m_bEarlyInFlight = false;
    if (bWanted) return PropertyReply(property, cookie, true);
    xcb_discard_reply(m_pConnection, cookie.sequence);
    return {Fetched::Result::Refused, {}, XCB_NONE};
  }
  if (property == kTextTransfer && m_earlyAnswer) {
    const xcb_selection_notify_event_t notify = *m_earlyAnswer;
    m_earlyAnswer.reset();
    return Answer(notify, property, bWanted, time);
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(kGiveUpMs);
  while (!Interrupted()) {
    xcb_generic_event_t* event = NextEvent(deadline, false);
    if (!event) break;
    std::optional<Fetched> answer;
    if (IsAnswer(event, target, property, time)) {
      answer = Answer(*reinterpret_cast<const xcb_selection_notify_event_t*>(event), property,
                      bWanted, time);
    }
    std::free(event);
    if (answer) return std::move(*answer);
  }
  return {};
}

// Whether an event that came while the answer for `target` in `property` was awaited is
// that answer. Owner changes among the others are noted, and the answer to the early text
// request is kept.
bool X11SelectionReader::Worker::IsAnswer(const xcb_generic_event_t* event, xcb_atom_t target,
                                          AtomId property, xcb_timestamp_t time) {
  if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY) {
    Dispatch(event);
    return false;
  }
  const auto& notify = *reinterpret_cast<const xcb_selection_notify_event_t*>(event);
  const bool bStale =
      time != XCB_CURRENT_TIME && notify.time != XCB_CURRENT_TIME && notify.time != time;
  const bool bOurs =
      notify.requestor == m_window && notify.selection == m_atoms[kClipboard] && !bStale;
  const auto answers = [&notify](xcb_atom_t askedTarget, xcb_atom_t askedProperty) {
    return notify.target == askedTarget &&
           (notify.property == XCB_NONE || notify.property == askedProperty);
  };
  if (bOurs && answers(target, m_atoms[property])) return true;
  if (bOurs && answers(m_atoms[kUtf8String], m_atoms[kTextTransfer])) m_earlyAnswer = notify;
  return false;
}

// An answer's property, read; an answer not wanted is deleted unread. When the early
// text's answer has come too (mostly in the same read from the server), its property is
// asked for in the same flight, which saves a round trip. The other answer's property is
// then read and left in place, as while the early text may be coming in pieces.
Fetched X11SelectionReader::Worker::Answer(const xcb_selection_notify_event_t& notify,
                                           AtomId property, bool bWanted,
                                           xcb_timestamp_t time) {
  if (property == kTextTransfer) m_bEarlyInFlight = false;
  if (notify.property == XCB_NONE) return {Fetched::Result::Refused, {}, XCB_NONE};
  if (bWanted && m_bEarlyInFlight && !m_earlyTake) {
    while (!m_earlyAnswer) {
      xcb_generic_event_t* event = xcb_poll_for_queued_event(m_pConnection);
      if (!event) break;
      IsAnswer(event, XCB_NONE, kTextTransfer, time);
      std::free(event);
    }
    if (m_earlyAnswer && m_earlyAnswer->property != XCB_NONE) {
      m_earlyAnswer.reset();
      const xcb_get_property_cookie_t cookie = AskProperty(property, false);
      m_earlyTake = AskProperty(kTextTransfer, true);
      return PropertyReply(property, cookie, false);
    }
  }
  if (bWanted) return TakeProperty(property);
  xcb_delete_property(m_pConnection, m_window, m_atoms[property]);
  xcb_flush(m_pConnection);
  return {Fetched::Result::Refused, {}, XCB_NONE};
}

Fetched X11SelectionReader::Worker::Fetch(xcb_atom_t target, xcb_timestamp_t time) {
  Ask(target, kTransfer, time);
  xcb_flush(m_pConnection);
  return Await(target, kTransfer, time);
}

// The answer's property, read and deleted; a large answer comes in pieces (INCR).
Fetched X11SelectionReader::Worker::TakeProperty(AtomId property) {
  // While the early text may be coming in pieces, another answer is read and left in
  // place (the next request for that property deletes it), unless it comes in pieces too.
  const bool bDelete = property == kTextTransfer || !m_bEarlyInFlight;
  return PropertyReply(property, AskProperty(property, bDelete), bDelete);
}

// Asks for the whole of a property of our window, deleting it with the reading or not.
xcb_get_property_cookie_t X11SelectionReader::Worker::AskProperty(AtomId property,
                                                                  bool bDelete) {
  return xcb_get_property(m_pConnection, bDelete ? 1 : 0, m_window, m_atoms[property],
                          XCB_GET_PROPERTY_TYPE_ANY, 0, kWholeProperty);
}

// The reply to AskProperty: the answer's bytes; a large answer comes in pieces (INCR).
Fetched X11SelectionReader::Worker::PropertyReply(AtomId property,
                                                  xcb_get_property_cookie_t cookie,
                                                  bool bDeleted) {
  auto reply = Own(xcb_get_property_reply(m_pConnection, cookie, nullptr));
  if (!reply) return {};
  const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
  const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
  if (reply->type == m_atoms[kIncr]) {
    if (!bDeleted) {
      xcb_delete_property(m_pConnection, m_window, m_atoms[property]);
      xcb_flush(m_pConnection);
    }
    std::uint32_t sizeHint = 0;
    if (length >= sizeof sizeHint) std::memcpy(&sizeHint, value, sizeof sizeHint);
    return ReadIncrementally(property, sizeHint);
  }
  try {
    return {Fetched::Result::Ok, std::string(value, length), reply->type};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

// An early text asked for by an earlier read that ended first: its reply is not waited for.
void X11SelectionReader::Worker::DropEarlyTake() {
  if (m_earlyTake) xcb_discard_reply(m_pConnection, m_earlyTake->sequence);
  m_earlyTake.reset();
}

void X11SelectionReader::Worker::WatchProperties(bool bWatch) {
  const std::uint32_t eventMask = bWatch ? XCB_EVENT_MASK_PROPERTY_CHANGE : 0;
  xcb_change_window_attributes(m_pConnection, m_window, XCB_CW_EVENT_MASK, &eventMask);
  xcb_flush(m_pConnection);
}

// Deleting the INCR property (done by TakeProperty) asks for the first piece; each piece
// arrives as a new value of the property, and an empty one ends the transfer. The watch
// on property changes begins after that deletion, so the first piece may be there
// already: the property is looked at once before any notice.
Fetched X11SelectionReader::Worker::ReadIncrementally(AtomId property, std::size_t sizeHint) {
  Fetched result;
  try {
    result.bytes.reserve(std::min<std::size_t>(sizeHint, std::size_t{1} << 31));
  } catch (const std::bad_alloc&) {
    return {};
  }
  WatchProperties(true);
  const struct Unwatch {
    Worker* worker;
    ~Unwatch() { worker->WatchProperties(false); }
  } unwatch{this};
  auto deadline = Clock::now() + std::chrono::milliseconds(kGiveUpMs);
  bool bLookNow = true;
  while (!Interrupted()) {
    bool bNewPiece = std::exchange(bLookNow, false);
    if (!bNewPiece) {
      xcb_generic_event_t* event = NextEvent(deadline, false);
      if (!event) break;
      if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        bNewPiece = notify->window == m_window && notify->atom == m_atoms[property] &&
                    notify->state == XCB_PROPERTY_NEW_VALUE;
      } else {
        Dispatch(event);
      }
      std::free(event);
    }
    if (!bNewPiece) continue;

    auto reply =
        Own(xcb_get_property_reply(m_pConnection, AskProperty(property, true), nullptr));
    if (!reply) return {};
    // No property: the piece its notice told of was taken by the look before the notice.
    if (reply->type == XCB_NONE) continue;
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    if (length == 0) {
      result.result = Fetched::Result::Ok;
      return result;
    }
    result.type = reply->type;
    try {
      result.bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
    } catch (const std::bad_alloc&) {
      return {};
    }
    deadline = Clock::now() + std::chrono::milliseconds(kGiveUpMs);
  }
  return {};
}

// --- The reader ----------------------------------------------------------------------

X11SelectionReader::X11SelectionReader(std::uint32_t ownBase, std::uint32_t ownMask)
    : m_pWorker(std::make_unique<Worker>(*this, ownBase, ownMask)) {}

X11SelectionReader::~X11SelectionReader() = default;

bool X11SelectionReader::Connect() { return m_pWorker->Connect(); }

void X11SelectionReader::Run() { m_pWorker->Run(); }

std::uint32_t X11SelectionReader::ClipboardAtom() const { return m_pWorker->Atom(kClipboard); }

}  // namespace platform
