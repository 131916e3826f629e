#include "support/test_compositor.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <utility>

#include "ext-data-control-v1-server-protocol.h"
#include "wlr-data-control-unstable-v1-server-protocol.h"

namespace testing_support {
namespace {

// The two data-control protocols are the same requests and events in the same order
// under two names: one implementation serves both, and events go out by opcode.
struct Names {
  const wl_interface* manager;
  const wl_interface* device;
  const wl_interface* source;
  const wl_interface* offer;
  int version;  // of the manager's global
};

const Names kExtNames = {
    &ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
    &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface, 1};
const Names kWlrNames = {
    &zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
    &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface, 2};

using ManagerRequests = struct ext_data_control_manager_v1_interface;
using DeviceRequests = struct ext_data_control_device_v1_interface;
using SourceRequests = struct ext_data_control_source_v1_interface;
using OfferRequests = struct ext_data_control_offer_v1_interface;
static_assert(sizeof(ManagerRequests) == sizeof(struct zwlr_data_control_manager_v1_interface));
static_assert(sizeof(DeviceRequests) == sizeof(struct zwlr_data_control_device_v1_interface));
static_assert(sizeof(SourceRequests) == sizeof(struct zwlr_data_control_source_v1_interface));
static_assert(sizeof(OfferRequests) == sizeof(struct zwlr_data_control_offer_v1_interface));
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DATA_OFFER == ZWLR_DATA_CONTROL_DEVICE_V1_DATA_OFFER &&
              EXT_DATA_CONTROL_DEVICE_V1_SELECTION == ZWLR_DATA_CONTROL_DEVICE_V1_SELECTION &&
              EXT_DATA_CONTROL_DEVICE_V1_PRIMARY_SELECTION ==
                  ZWLR_DATA_CONTROL_DEVICE_V1_PRIMARY_SELECTION &&
              EXT_DATA_CONTROL_SOURCE_V1_SEND == ZWLR_DATA_CONTROL_SOURCE_V1_SEND &&
              EXT_DATA_CONTROL_SOURCE_V1_CANCELLED == ZWLR_DATA_CONTROL_SOURCE_V1_CANCELLED &&
              EXT_DATA_CONTROL_OFFER_V1_OFFER == ZWLR_DATA_CONTROL_OFFER_V1_OFFER);

template <class T>
T* Data(wl_resource* resource) {
  return static_cast<T*>(wl_resource_get_user_data(resource));
}

}  // namespace

using Loop = CompositorLoop;

// Everything the compositor holds; used on its own thread only, except Call.
class CompositorLoop {
 public:
  struct Source {
    explicit Source(Loop* owner, wl_resource* proxy = nullptr) : loop(owner), resource(proxy) {}
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    ~Source() {
      for (const int fd : heldFds) close(fd);
    }

    Loop* loop;
    wl_resource* resource;  // null: one of the compositor's own
    std::vector<std::string> types;
    // The compositor's own: the bytes of each type, or, when silent, the requests it
    // keeps unanswered.
    std::vector<std::shared_ptr<const std::string>> bytes;
    bool bSilent = false;
    std::vector<int> heldFds;
  };
  struct Device {
    Loop* loop;
    const Names* names;
    wl_resource* resource;
  };
  struct Offer {
    Loop* loop;
    Source* source;  // null once the source is gone
  };
  struct Global {
    Loop* loop;
    const Names* names;
  };
  // One of our own sources' bytes going into a pipe, a piece whenever it takes more, so
  // that a large text never holds up the loop.
  struct Writer {
    Writer(Loop* owner, int pipe, std::shared_ptr<const std::string> content)
        : loop(owner), fd(pipe), bytes(std::move(content)) {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() {
      if (event) wl_event_source_remove(event);
      close(fd);
    }

    Loop* loop;
    int fd;
    std::shared_ptr<const std::string> bytes;
    size_t done = 0;
    wl_event_source* event = nullptr;
  };
  struct ClientWatch {
    wl_listener listener;
    Loop* loop;
  };

  explicit CompositorLoop(TestCompositor::Offers offers);
  ~CompositorLoop();

  // Runs `task` on the compositor's thread and returns once it is done.
  void Call(const std::function<void()>& task);

  void Run();
  void RunTask();
  void SetSelection(Source* source, bool bPrimary);
  void SetOwnSelection(std::unique_ptr<Source> source, bool bPrimary);
  void Announce(bool bPrimary);
  void SendSelection(const Device& device, bool bPrimary);
  void Receive(Source* source, const char* type, int fd);
  void SourceGone(Source* source);
  void ClientGone(wl_client* client);
  void DeviceGone(Device* device);

  static bool TakesPrimary(const Device& device) {
    return device.names == &kExtNames || wl_resource_get_version(device.resource) >= 2;
  }

  wl_display* m_pDisplay = nullptr;
  wl_event_loop* m_pEventLoop = nullptr;
  wl_event_source* m_pWake = nullptr;
  std::string m_strDir;
  std::string m_strSocket;
  Global m_ext{this, &kExtNames};
  Global m_wlr{this, &kWlrNames};
  wl_listener m_clientCreated{};

  Source* m_pSelection = nullptr;
  Source* m_pPrimary = nullptr;
  std::vector<std::unique_ptr<Source>> m_ownSources;  // alive while selected
  std::vector<Device*> m_devices;
  std::unordered_set<Offer*> m_offers;
  std::list<std::unique_ptr<Writer>> m_writers;
  int m_nClientSelections = 0;
  int m_nExtDevices = 0;
  int m_nWlrDevices = 0;
  bool m_bStop = false;
  bool m_bClosing = false;

  // The test's requests, one at a time: the task is handed over and its end reported
  // through two atomics, the compositor woken through an eventfd.
  int m_wakeFd = -1;
  std::mutex m_callMutex;
  std::atomic<const std::function<void()>*> m_pTask{nullptr};
  std::atomic<bool> m_bTaskDone{false};
  std::thread m_thread;
};

namespace {

template <const wl_interface* kInterface>
void CreateInert(wl_client* client, wl_resource* seat, uint32_t id) {
  wl_resource_create(client, kInterface, wl_resource_get_version(seat), id);
}

// A seat without pointer, keyboard or touch: the data-control devices only need one.
const struct wl_seat_interface kSeatRequests = {
    CreateInert<&wl_pointer_interface>, CreateInert<&wl_keyboard_interface>,
    CreateInert<&wl_touch_interface>, [](wl_client*, wl_resource* r) { wl_resource_destroy(r); }};

void DestroyRequest(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

const OfferRequests kOfferRequests = {
    [](wl_client*, wl_resource* resource, const char* type, int32_t fd) {
      Loop::Offer* offer = Data<Loop::Offer>(resource);
      offer->loop->Receive(offer->source, type, fd);
    },
    DestroyRequest,
};

const SourceRequests kSourceRequests = {
    [](wl_client*, wl_resource* resource, const char* type) {
      Data<Loop::Source>(resource)->types.emplace_back(type);
    },
    DestroyRequest,
};

Loop::Source* SourceOf(wl_resource* resource) {
  return resource ? Data<Loop::Source>(resource) : nullptr;
}

const DeviceRequests kDeviceRequests = {
    [](wl_client*, wl_resource* resource, wl_resource* source) {
      Loop* loop = Data<Loop::Device>(resource)->loop;
      ++loop->m_nClientSelections;
      loop->SetSelection(SourceOf(source), false);
    },
    DestroyRequest,
    [](wl_client*, wl_resource* resource, wl_resource* source) {
      Data<Loop::Device>(resource)->loop->SetSelection(SourceOf(source), true);
    },
};

const ManagerRequests kManagerRequests = {
    [](wl_client* client, wl_resource* manager, uint32_t id) {
      auto* global = Data<Loop::Global>(manager);
      wl_resource* resource =
          wl_resource_create(client, global->names->source, wl_resource_get_version(manager), id);
      if (!resource) return wl_client_post_no_memory(client);
      wl_resource_set_implementation(resource, &kSourceRequests,
                                     new Loop::Source(global->loop, resource), [](wl_resource* r) {
                                       auto* source = Data<Loop::Source>(r);
                                       source->loop->SourceGone(source);
                                       delete source;
                                     });
    },
    [](wl_client* client, wl_resource* manager, uint32_t id, wl_resource*) {
      auto* global = Data<Loop::Global>(manager);
      wl_resource* resource =
          wl_resource_create(client, global->names->device, wl_resource_get_version(manager), id);
      if (!resource) return wl_client_post_no_memory(client);
      auto* device = new Loop::Device{global->loop, global->names, resource};
      wl_resource_set_implementation(resource, &kDeviceRequests, device, [](wl_resource* r) {
        auto* gone = Data<Loop::Device>(r);
        gone->loop->DeviceGone(gone);
        delete gone;
      });
      Loop* loop = global->loop;
      ++(global->names == &kExtNames ? loop->m_nExtDevices : loop->m_nWlrDevices);
      loop->m_devices.push_back(device);
      loop->SendSelection(*device, false);
      if (Loop::TakesPrimary(*device)) loop->SendSelection(*device, true);
    },
    DestroyRequest,
};

// Version 2, which names the seat: wl-clipboard asks for it.
void BindSeat(wl_client* client, void*, uint32_t version, uint32_t id) {
  wl_resource* resource = wl_resource_create(client, &wl_seat_interface, version, id);
  if (!resource) return wl_client_post_no_memory(client);
  wl_resource_set_implementation(resource, &kSeatRequests, nullptr, nullptr);
  wl_seat_send_capabilities(resource, 0);
  if (version >= WL_SEAT_NAME_SINCE_VERSION) wl_seat_send_name(resource, "seat0");
}

void BindManager(wl_client* client, void* data, uint32_t version, uint32_t id) {
  auto* global = static_cast<Loop::Global*>(data);
  wl_resource* resource = wl_resource_create(client, global->names->manager, version, id);
  if (!resource) return wl_client_post_no_memory(client);
  wl_resource_set_implementation(resource, &kManagerRequests, global, nullptr);
}

int OnWritable(int fd, uint32_t, void* data) {
  auto* writer = static_cast<Loop::Writer*>(data);
  const std::string& bytes = *writer->bytes;
  while (writer->done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + writer->done, bytes.size() - writer->done);
    if (n > 0) {
      writer->done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      return 0;
    } else if (!(n < 0 && errno == EINTR)) {
      break;  // the reader is gone
    }
  }
  std::erase_if(writer->loop->m_writers, [writer](const auto& w) { return w.get() == writer; });
  return 0;
}

}  // namespace

CompositorLoop::CompositorLoop(TestCompositor::Offers offers) {
  char dir[] = "/tmp/tolvane-compositor-XXXXXX";
  if (!mkdtemp(dir)) return;
  m_strDir = dir;
  m_pDisplay = wl_display_create();
  if (!m_pDisplay) return;
  m_pEventLoop = wl_display_get_event_loop(m_pDisplay);

  const std::string path = m_strDir + "/wayland-0";
  const int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (listening < 0 ||
      bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listening, 16) != 0 || wl_display_add_socket_fd(m_pDisplay, listening) != 0) {
    if (listening >= 0) close(listening);
    return;
  }

  wl_global_create(m_pDisplay, &wl_seat_interface, 2, nullptr, BindSeat);
  if (offers & TestCompositor::kExt)
    wl_global_create(m_pDisplay, kExtNames.manager, kExtNames.version, &m_ext, BindManager);
  if (offers & TestCompositor::kWlr)
    wl_global_create(m_pDisplay, kWlrNames.manager, kWlrNames.version, &m_wlr, BindManager);

  // A client that goes away takes its devices out of every later announcement at once,
  // before its objects are destroyed one by one.
  m_clientCreated.notify = [](wl_listener* listener, void* data) {
    Loop* loop = wl_container_of(listener, loop, m_clientCreated);
    auto* watch = new ClientWatch{{}, loop};
    watch->listener.notify = [](wl_listener* gone, void* client) {
      ClientWatch* self = wl_container_of(gone, self, listener);
      self->loop->ClientGone(static_cast<wl_client*>(client));
      delete self;
    };
    wl_client_add_destroy_listener(static_cast<wl_client*>(data), &watch->listener);
  };
  wl_display_add_client_created_listener(m_pDisplay, &m_clientCreated);

  m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  m_pWake = wl_event_loop_add_fd(
      m_pEventLoop, m_wakeFd, WL_EVENT_READABLE,
      [](int fd, uint32_t, void* data) {
        uint64_t count;
        [[maybe_unused]] const ssize_t n = read(fd, &count, sizeof count);
        static_cast<Loop*>(data)->RunTask();
        return 0;
      },
      this);
  m_strSocket = path;
  m_thread = std::thread(&CompositorLoop::Run, this);
}

CompositorLoop::~CompositorLoop() {
  if (m_thread.joinable()) {
    Call([this] { m_bStop = true; });
    m_thread.join();
  }
  if (m_pDisplay) {
    m_bClosing = true;
    wl_display_destroy_clients(m_pDisplay);
    m_writers.clear();
    m_ownSources.clear();
    if (m_pWake) wl_event_source_remove(m_pWake);
    wl_display_destroy(m_pDisplay);
  }
  if (m_wakeFd >= 0) close(m_wakeFd);
  if (!m_strSocket.empty()) unlink(m_strSocket.c_str());
  if (!m_strDir.empty()) rmdir(m_strDir.c_str());
}

void CompositorLoop::Call(const std::function<void()>& task) {
  if (!m_thread.joinable()) return;
  std::lock_guard lock(m_callMutex);
  m_bTaskDone = false;
  m_pTask = &task;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(m_wakeFd, &one, sizeof one);
  m_bTaskDone.wait(false);
}

void CompositorLoop::RunTask() {
  if (const std::function<void()>* task = m_pTask.exchange(nullptr)) {
    (*task)();
    m_bTaskDone = true;
    m_bTaskDone.notify_all();
  }
}

void CompositorLoop::Run() {
  // A reader that closes its pipe early makes our write fail, not end the test.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
  while (!m_bStop) {
    wl_display_flush_clients(m_pDisplay);
    wl_event_loop_dispatch(m_pEventLoop, -1);
  }
  wl_display_flush_clients(m_pDisplay);
}

void CompositorLoop::SetSelection(Source* source, bool bPrimary) {
  Source*& current = bPrimary ? m_pPrimary : m_pSelection;
  if (current == source) return;
  Source* previous = std::exchange(current, source);
  if (previous && previous->resource) {
    wl_resource_post_event(previous->resource, EXT_DATA_CONTROL_SOURCE_V1_CANCELLED);
  } else if (previous) {
    SourceGone(previous);
    std::erase_if(m_ownSources, [previous](const auto& own) { return own.get() == previous; });
  }
  Announce(bPrimary);
}

void CompositorLoop::SetOwnSelection(std::unique_ptr<Source> source, bool bPrimary) {
  Source* own = source.get();
  m_ownSources.push_back(std::move(source));
  SetSelection(own, bPrimary);
}

void CompositorLoop::Announce(bool bPrimary) {
  for (const Device* device : m_devices) {
    if (!bPrimary || TakesPrimary(*device)) SendSelection(*device, bPrimary);
  }
}

void CompositorLoop::SendSelection(const Device& device, bool bPrimary) {
  const uint32_t event = bPrimary ? EXT_DATA_CONTROL_DEVICE_V1_PRIMARY_SELECTION
                                  : EXT_DATA_CONTROL_DEVICE_V1_SELECTION;
  Source* source = bPrimary ? m_pPrimary : m_pSelection;
  if (!source)
    return wl_resource_post_event(device.resource, event, static_cast<wl_resource*>(nullptr));
  wl_resource* resource =
      wl_resource_create(wl_resource_get_client(device.resource), device.names->offer,
                         wl_resource_get_version(device.resource), 0);
  if (!resource) return wl_resource_post_no_memory(device.resource);
  auto* offer = new Offer{this, source};
  m_offers.insert(offer);
  wl_resource_set_implementation(resource, &kOfferRequests, offer, [](wl_resource* r) {
    auto* gone = Data<Offer>(r);
    gone->loop->m_offers.erase(gone);
    delete gone;
  });
  wl_resource_post_event(device.resource, EXT_DATA_CONTROL_DEVICE_V1_DATA_OFFER, resource);
  for (const std::string& type : source->types) {
    wl_resource_post_event(resource, EXT_DATA_CONTROL_OFFER_V1_OFFER, type.c_str());
  }
  wl_resource_post_event(device.resource, event, resource);
}

// Takes `fd` over: hands it to the source's client, writes our own bytes into it, or
// keeps it unanswered for a silent source of our own.
void CompositorLoop::Receive(Source* source, const char* type, int fd) {
  const auto it = source ? std::find(source->types.begin(), source->types.end(), type)
                         : std::vector<std::string>::iterator{};
  if (!source || it == source->types.end()) {
    close(fd);
  } else if (source->resource) {
    wl_resource_post_event(source->resource, EXT_DATA_CONTROL_SOURCE_V1_SEND, type, fd);
    close(fd);
  } else if (source->bSilent) {
    source->heldFds.push_back(fd);
  } else {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto writer = std::make_unique<Writer>(this, fd, source->bytes[it - source->types.begin()]);
    Writer* raw = writer.get();
    m_writers.push_back(std::move(writer));
    raw->event = wl_event_loop_add_fd(m_pEventLoop, fd, WL_EVENT_WRITABLE, OnWritable, raw);
  }
}

// A source is destroyed or replaced: its offers can no longer be read, and a client's
// source that is still selected leaves the selection empty.
void CompositorLoop::SourceGone(Source* source) {
  for (Offer* offer : m_offers) {
    if (offer->source == source) offer->source = nullptr;
  }
  if (m_bClosing) return;
  for (const bool bPrimary : {false, true}) {
    Source*& current = bPrimary ? m_pPrimary : m_pSelection;
    if (current != source) continue;
    current = nullptr;
    Announce(bPrimary);
  }
}

void CompositorLoop::ClientGone(wl_client* client) {
  if (m_bClosing) return;
  std::erase_if(m_devices, [client](const Device* device) {
    return wl_resource_get_client(device->resource) == client;
  });
  for (Source* source : {m_pSelection, m_pPrimary}) {
    if (source && source->resource && wl_resource_get_client(source->resource) == client) {
      SourceGone(source);
    }
  }
}

void CompositorLoop::DeviceGone(Device* device) { std::erase(m_devices, device); }

TestCompositor::TestCompositor(Offers offers) : m_pLoop(std::make_unique<CompositorLoop>(offers)) {}

TestCompositor::~TestCompositor() = default;

const std::string& TestCompositor::Socket() const { return m_pLoop->m_strSocket; }

namespace {

std::unique_ptr<Loop::Source> OwnSource(Loop* loop,
                                        std::vector<TestCompositor::TypedBytes> content) {
  auto source = std::make_unique<Loop::Source>(loop);
  for (TestCompositor::TypedBytes& typed : content) {
    source->types.push_back(typed.type);
    source->bytes.push_back(std::make_shared<const std::string>(std::move(typed.bytes)));
  }
  return source;
}

}  // namespace

void TestCompositor::SetSelection(std::vector<TypedBytes> content) {
  m_pLoop->Call(
      [&] { m_pLoop->SetOwnSelection(OwnSource(m_pLoop.get(), std::move(content)), false); });
}

void TestCompositor::SetSilentSelection(std::vector<std::string> types) {
  m_pLoop->Call([&] {
    auto source = std::make_unique<Loop::Source>(m_pLoop.get());
    source->types = std::move(types);
    source->bSilent = true;
    m_pLoop->SetOwnSelection(std::move(source), false);
  });
}

void TestCompositor::SetPrimarySelection(std::vector<TypedBytes> content) {
  m_pLoop->Call(
      [&] { m_pLoop->SetOwnSelection(OwnSource(m_pLoop.get(), std::move(content)), true); });
}

void TestCompositor::ClearSelection() {
  m_pLoop->Call([&] { m_pLoop->SetSelection(nullptr, false); });
}

std::optional<std::string> TestCompositor::ReadSelection(const std::string& type, int timeoutMs) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  bool bTaken = false;
  bool bAsked = false;
  m_pLoop->Call([&] {
    bTaken = true;
    Loop::Source* source = m_pLoop->m_pSelection;
    bAsked = source &&
             std::find(source->types.begin(), source->types.end(), type) != source->types.end();
    m_pLoop->Receive(bAsked ? source : nullptr, type.c_str(), fds[1]);
  });
  if (!bTaken) close(fds[1]);
  std::string bytes;
  bool bEnd = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (bAsked && !bEnd) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd readable{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[65536];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    bEnd = n == 0;
  }
  close(fds[0]);
  if (!bEnd) return std::nullopt;
  return bytes;
}

std::vector<std::string> TestCompositor::SelectionTypes() {
  std::vector<std::string> types;
  m_pLoop->Call([&] {
    if (m_pLoop->m_pSelection) types = m_pLoop->m_pSelection->types;
  });
  return types;
}

int TestCompositor::ClientSelections() {
  int count = 0;
  m_pLoop->Call([&] { count = m_pLoop->m_nClientSelections; });
  return count;
}

int TestCompositor::ExtDevices() {
  int count = 0;
  m_pLoop->Call([&] { count = m_pLoop->m_nExtDevices; });
  return count;
}

int TestCompositor::WlrDevices() {
  int count = 0;
  m_pLoop->Call([&] { count = m_pLoop->m_nWlrDevices; });
  return count;
}

}  // namespace testing_support
