#include "platform/wayland_selection_reader.h"

#include "platform/wayland_client.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "platform/pipe_transfer.h"
#include "platform/selection_text.h"
#include "platform/data_control_protocol.h"

namespace platform {
namespace {

// The types our own selections offer, text first.
const char* const kOfferedTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING"};

// A type only our own selections offer: it tells their echo from other programs' copies.
std::string OwnMarkerType() {
  return "application/x-tolvane-owner-" + std::to_string(getpid());
}

}  // namespace

// The reader's connection and its state, used on the reader's thread once connected
// (SetSelection and ClearSelection under a lock).
class WaylandSelectionReader::Worker {
 public:
  explicit Worker(WaylandSelectionReader& reader) : m_reader(reader) {}
  ~Worker();

  bool Connect();
  void Run();
  bool SetSelection(std::string utf8);
  bool ClearSelection();

 private:
  // What one of our own selections offers, alive until the compositor cancels it.
  struct OwnSource {
    Worker* worker;
    std::string utf8;
  };

  static const wl_registry_listener kRegistryListener;
  static const DataControlDeviceEvents kDeviceListener;
  static const DataControlOfferEvents kOfferListener;
  static const DataControlSourceEvents kSourceListener;

  void OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
  void OnDataOffer(wl_proxy* offer);
  void OnSelection(wl_proxy* offer);
  void OnSend(OwnSource* source, const char* type, int fd);
  void ReadPending();
  bool Receive(wl_proxy* offer, const char* type, std::string& out);
  void DropOffer(wl_proxy* offer);

  WaylandSelectionReader& m_reader;
  wl_display* m_pDisplay = nullptr;
  wl_registry* m_pRegistry = nullptr;
  wl_seat* m_pSeat = nullptr;
  wl_proxy* m_pManager = nullptr;
  wl_proxy* m_pDevice = nullptr;
  const DataControlProtocol* m_pProtocol = nullptr;
  const std::string m_strMarker = OwnMarkerType();

  // The types of each offer introduced and not destroyed yet.
  std::unordered_map<wl_proxy*, std::vector<std::string>> m_offers;
  // The newest selection of another program not read yet; bPending with a null offer:
  // the selection was emptied.
  bool m_bPending = false;
  wl_proxy* m_pPendingOffer = nullptr;

  // Shared with the window's thread.
  std::mutex m_requestMutex;
  std::atomic<int> m_nExpectedClears{0};
  std::atomic<bool> m_bSelectionEmpty{false};
  bool m_bStop = false;
};

const wl_registry_listener WaylandSelectionReader::Worker::kRegistryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface,
       uint32_t version) {
      static_cast<Worker*>(data)->OnGlobal(registry, name, interface, version);
    },
    [](void*, wl_registry*, uint32_t) {},
};

const DataControlDeviceEvents WaylandSelectionReader::Worker::kDeviceListener = {
    [](void* data, wl_proxy*, wl_proxy* offer) {
      static_cast<Worker*>(data)->OnDataOffer(offer);
    },
    [](void* data, wl_proxy*, wl_proxy* offer) {
      static_cast<Worker*>(data)->OnSelection(offer);
    },
    [](void* data, wl_proxy*) {
      static_cast<Worker*>(data)->m_bStop = true;  // the seat is gone
    },
    // The primary selection (the standard protocol always reports it; the wlroots one is
    // bound at version 1, which does not): dropped unread, never captured.
    [](void* data, wl_proxy*, wl_proxy* offer) {
      if (offer) static_cast<Worker*>(data)->DropOffer(offer);
    },
};

const DataControlOfferEvents WaylandSelectionReader::Worker::kOfferListener = {
    [](void* data, wl_proxy* offer, const char* type) {
      auto* worker = static_cast<Worker*>(data);
      const auto it = worker->m_offers.find(offer);
      if (it != worker->m_offers.end()) it->second.emplace_back(type);
    },
};

const DataControlSourceEvents WaylandSelectionReader::Worker::kSourceListener = {
    [](void* data, wl_proxy*, const char* type, int fd) {
      auto* source = static_cast<OwnSource*>(data);
      source->worker->OnSend(source, type, fd);
    },
    [](void* data, wl_proxy* proxy) {
      delete static_cast<OwnSource*>(data);
      DataControlDestroy(proxy, DataControlOpcode::kSourceDestroy);
    },
};

WaylandSelectionReader::Worker::~Worker() {
  if (!m_pDisplay) return;
  for (auto& [offer, types] : m_offers) DataControlDestroy(offer, DataControlOpcode::kOfferDestroy);
  if (m_pDevice) DataControlDestroy(m_pDevice, DataControlOpcode::kDeviceDestroy);
  if (m_pManager) DataControlDestroy(m_pManager, DataControlOpcode::kManagerDestroy);
  if (m_pSeat) wl_seat_destroy(m_pSeat);
  if (m_pRegistry) wl_registry_destroy(m_pRegistry);
  wl_display_disconnect(m_pDisplay);
}

void WaylandSelectionReader::Worker::OnGlobal(wl_registry* registry, uint32_t name,
                                             const char* interface, uint32_t) {
  if (!m_pSeat && std::strcmp(interface, wl_seat_interface.name) == 0) {
    m_pSeat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    return;
  }
  // The standard protocol wins over the wlroots one, whichever the registry names first.
  const DataControlProtocol* protocol = FindDataControlProtocol(interface);
  if (!protocol || (m_pProtocol && m_pProtocol->preference <= protocol->preference)) return;
  if (m_pManager) DataControlDestroy(m_pManager, DataControlOpcode::kManagerDestroy);
  m_pProtocol = protocol;
  m_pManager = static_cast<wl_proxy*>(
      wl_registry_bind(registry, name, protocol->manager, protocol->managerVersion));
}

bool WaylandSelectionReader::Worker::Connect() {
  if (!wayland::Load()) return false;
  m_pDisplay = wl_display_connect(nullptr);
  if (!m_pDisplay) return false;
  m_pRegistry = wl_display_get_registry(m_pDisplay);
  wl_registry_add_listener(m_pRegistry, &kRegistryListener, this);
  if (wl_display_roundtrip(m_pDisplay) < 0 || !m_pSeat || !m_pManager) return false;
  m_pDevice = DataControlGetDevice(*m_pProtocol, m_pManager, m_pSeat);
  DataControlAddListener(m_pDevice, kDeviceListener, this);
  return wl_display_flush(m_pDisplay) >= 0;
}

void WaylandSelectionReader::Worker::OnDataOffer(wl_proxy* offer) {
  m_offers.emplace(offer, std::vector<std::string>{});
  DataControlAddListener(offer, kOfferListener, this);
}

void WaylandSelectionReader::Worker::DropOffer(wl_proxy* offer) {
  m_offers.erase(offer);
  DataControlDestroy(offer, DataControlOpcode::kOfferDestroy);
}

void WaylandSelectionReader::Worker::OnSelection(wl_proxy* offer) {
  m_bSelectionEmpty = offer == nullptr;
  const bool bOwn = offer ? [&] {
    const auto& types = m_offers[offer];
    return std::find(types.begin(), types.end(), m_strMarker) != types.end();
  }() : m_nExpectedClears > 0;
  if (m_pPendingOffer) DropOffer(m_pPendingOffer);
  m_pPendingOffer = nullptr;
  m_bPending = false;
  if (bOwn) {
    // Our own write or clear coming back: counted, never read.
    if (offer) {
      DropOffer(offer);
    } else {
      --m_nExpectedClears;
    }
    m_reader.CountOwnChange();
    return;
  }
  m_bPending = true;
  m_pPendingOffer = offer;
}

// Takes one type's bytes through a pipe; false when the source gave nothing usable in time.
bool WaylandSelectionReader::Worker::Receive(wl_proxy* offer,
                                             const char* type, std::string& out) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  DataControlReceive(offer, type, fds[1]);
  wl_display_flush(m_pDisplay);
  close(fds[1]);
  const TransferResult result = ReadToEnd(fds[0], kGiveUpMs, m_reader.WakeFd(), out);
  close(fds[0]);
  return result == TransferResult::Done;
}

void WaylandSelectionReader::Worker::ReadPending() {
  if (!m_bPending) return;
  m_bPending = false;
  wl_proxy* offer = m_pPendingOffer;
  m_pPendingOffer = nullptr;
  SelectionEvent event;
  if (offer) {
    const std::vector<std::string> types = m_offers[offer];
    event.bHasAnyFormat = !types.empty();
    const std::string textType = ChooseTextType(types);
    try {
      bool bSecret = false;
      if (std::find(types.begin(), types.end(), kPasswordHintType) != types.end()) {
        std::string hint;
        bSecret = Receive(offer, kPasswordHintType, hint) && IsSecretHintValue(hint);
      }
      // The port makes the bytes an item, still on this thread.
      if (!bSecret && !textType.empty()) {
        if (Receive(offer, textType.c_str(), event.text)) {
          event.status = ClipboardStatus::Ok;
          event.encoding = SelectionEncoding::Utf8;
        } else {
          event.text.clear();
        }
      }
    } catch (const std::bad_alloc&) {
      std::string().swap(event.text);
      event.status = ClipboardStatus::NoMemory;
    }
    DropOffer(offer);
  }
  m_reader.Report(std::move(event));
}

void WaylandSelectionReader::Worker::OnSend(Worker::OwnSource* source, const char* type, int fd) {
  if (std::any_of(std::begin(kOfferedTypes), std::end(kOfferedTypes),
                  [type](const char* offered) { return std::strcmp(type, offered) == 0; })) {
    WriteAll(fd, source->utf8, kGiveUpMs, m_reader.WakeFd());
  }
  close(fd);
}

bool WaylandSelectionReader::Worker::SetSelection(std::string utf8) {
  std::lock_guard lock(m_requestMutex);
  auto* source = new OwnSource{this, std::move(utf8)};
  wl_proxy* proxy = DataControlCreateSource(*m_pProtocol, m_pManager);
  DataControlAddListener(proxy, kSourceListener, source);
  for (const char* type : kOfferedTypes) DataControlOffer(proxy, type);
  DataControlOffer(proxy, m_strMarker.c_str());
  DataControlSetSelection(m_pDevice, proxy);
  m_bSelectionEmpty = false;
  return wl_display_flush(m_pDisplay) >= 0 || errno == EAGAIN;
}

bool WaylandSelectionReader::Worker::ClearSelection() {
  std::lock_guard lock(m_requestMutex);
  // The compositor reports no change when the selection is empty already: nothing will
  // come back to swallow.
  if (m_bSelectionEmpty.exchange(true)) {
    m_reader.CountOwnChange();
    return true;
  }
  ++m_nExpectedClears;
  DataControlSetSelection(m_pDevice, nullptr);
  return wl_display_flush(m_pDisplay) >= 0 || errno == EAGAIN;
}

void WaylandSelectionReader::Worker::Run() {
  // A reader that closes its pipe early makes our write fail, not end the program.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

  while (!m_bStop) {
    while (wl_display_prepare_read(m_pDisplay) != 0) {
      if (wl_display_dispatch_pending(m_pDisplay) < 0) return;
    }
    wl_display_flush(m_pDisplay);
    pollfd fds[2] = {{wl_display_get_fd(m_pDisplay), POLLIN, 0}, {m_reader.WakeFd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) {
      wl_display_cancel_read(m_pDisplay);
      return;
    }
    if (fds[1].revents & POLLIN) {
      wl_display_cancel_read(m_pDisplay);
      return;
    }
    if (fds[0].revents & POLLIN) {
      if (wl_display_read_events(m_pDisplay) < 0) return;
    } else {
      wl_display_cancel_read(m_pDisplay);
      if (fds[0].revents & (POLLHUP | POLLERR)) return;
    }
    if (wl_display_dispatch_pending(m_pDisplay) < 0) return;
    ReadPending();
  }
}

WaylandSelectionReader::WaylandSelectionReader() : m_pWorker(std::make_unique<Worker>(*this)) {}

WaylandSelectionReader::~WaylandSelectionReader() = default;

bool WaylandSelectionReader::Connect() { return m_pWorker->Connect(); }

void WaylandSelectionReader::Run() { m_pWorker->Run(); }

bool WaylandSelectionReader::SetSelection(std::string utf8) {
  return m_pWorker->SetSelection(std::move(utf8));
}

bool WaylandSelectionReader::ClearSelection() { return m_pWorker->ClearSelection(); }

}  // namespace platform
