// The whole path as a user sees it, on a private X server: another program (xclip) takes
// the clipboard with a new text, and the time until `tolvanectl watch` prints it; median
// of many copies with 1,000 and 32,767 items loaded from a list file named on the command
// line. Also the program's CPU time per capture over a few hundred copies, and the time
// from starting the program to the first drawing into its window (median of 20), seen
// from outside through the X server's damage reports.
// The end-to-end time runs from the moment the server reports xclip as the new owner; the
// time from starting xclip is printed beside it.
// Prints: items=N e2e_ms=M cpu_ms_per_capture=C  and  start_ms=S map_ms=M
// The program runs as in a desktop session: a private X server and a private session bus.
// Needs Xvfb, xclip and dbus-daemon. Run: build/bench/e2e_bench [--start-only] [build folder]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include "document/clip_list.h"
#include "document/clip_list_serializer.h"
#include "framework/safe_file_writer.h"
#include "platform/instance_client.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCopies = 50;
constexpr int kCpuCopies = 300;
constexpr int kStarts = 20;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Starts `argv` with `input` (when given) on its standard input and `out` (when given)
// as the read end of its standard output.
pid_t Spawn(const std::vector<std::string>& argv, const std::string* input = nullptr,
            int* out = nullptr, const std::string& errPath = {}) {
  int in[2] = {-1, -1}, outPipe[2] = {-1, -1};
  if (input && ::pipe(in) != 0) return -1;
  if (out && ::pipe(outPipe) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Everything started here ends with the benchmark, however that ends.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::signal(SIGPIPE, SIG_DFL);
    if (input) ::dup2(in[0], 0), ::close(in[0]), ::close(in[1]);
    if (out) ::dup2(outPipe[1], 1), ::close(outPipe[0]), ::close(outPipe[1]);
    const int null = ::open("/dev/null", O_RDWR);
    if (!input) ::dup2(null, 0);
    if (!out) ::dup2(null, 1);
    const int err = errPath.empty() ? null : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  if (input) {
    ::close(in[0]);
    if (::write(in[1], input->data(), input->size()) < 0) perror("write");
    ::close(in[1]);
  }
  if (out) ::close(outPipe[1]), *out = outPipe[0];
  return pid;
}

int RunAndWait(const std::vector<std::string>& argv, std::string* output = nullptr) {
  int out = -1;
  const pid_t pid = Spawn(argv, nullptr, output ? &out : nullptr);
  if (output) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(out, buffer, sizeof buffer)) > 0) output->append(buffer, n);
    ::close(out);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void StopProcess(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// Ends the clipboard owners (xclip) that have ended by themselves meanwhile.
void ReapOwners() {
  while (::waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

std::string MakeFolder(const std::string& base, const char* name) {
  const std::string path = base + "/" + name;
  ::mkdir(path.c_str(), 0700);
  return path;
}

std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < 80) text += "lorem ipsum dolor sit amet ";
  text.resize(80);
  return text;
}

// utime + stime of `pid` in milliseconds.
double CpuMs(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(all.substr(all.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return 1000.0 * static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Sees the moment another program becomes the clipboard's owner, as every clipboard
// client does: through the X server's selection notices.
class OwnerWatch {
 public:
  OwnerWatch() : m_x(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(m_x)) return;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_x, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) return;
    m_eventBase = xfixes->first_event;
    free(xcb_xfixes_query_version_reply(m_x, xcb_xfixes_query_version(m_x, 5, 0), nullptr));
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, 9, "CLIPBOARD"), nullptr);
    if (!atom) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    xcb_xfixes_select_selection_input(m_x, root, atom->atom,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    free(atom);
    xcb_flush(m_x);
    m_bReady = true;
  }
  ~OwnerWatch() { xcb_disconnect(m_x); }

  bool Ready() const { return m_bReady; }

  // Waits for the next change of owner; when it was seen, or nullopt after 10 s.
  std::optional<Clock::time_point> NextChange() {
    const auto start = Clock::now();
    while (MsSince(start) < 10000) {
      xcb_generic_event_t* event = xcb_poll_for_event(m_x);
      if (!event) {
        if (xcb_connection_has_error(m_x)) return {};
        pollfd ready{xcb_get_file_descriptor(m_x), POLLIN, 0};
        ::poll(&ready, 1, 100);
        continue;
      }
      const bool change =
          (event->response_type & 0x7f) == m_eventBase + XCB_XFIXES_SELECTION_NOTIFY;
      free(event);
      if (change) return Clock::now();
    }
    return {};
  }

 private:
  xcb_connection_t* m_x;
  uint8_t m_eventBase = 0;
  bool m_bReady = false;
};

struct Bench {
  std::string buildDir;
  std::string tmp;
  int run = 0;

  // A fresh runtime and settings folder, so that every start is the first one. The data
  // folder is fresh only when asked: in a fresh one the program registers with the
  // desktop after its window is up, and the cache tools it starts for that would still
  // run through the next start.
  void FreshHome(bool freshData = true) {
    const std::string home = MakeFolder(tmp, ("run" + std::to_string(run++)).c_str());
    ::setenv("XDG_RUNTIME_DIR", MakeFolder(home, "runtime").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", MakeFolder(home, "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", MakeFolder(home, "state").c_str(), 1);
    if (freshData) ::setenv("XDG_DATA_HOME", MakeFolder(home, "data").c_str(), 1);
  }

  // Starts the program and waits until it has drawn into its mapped main window: the
  // time to that first drawing and to the mapping; false on failure.
  bool Start(const std::vector<std::string>& arguments, pid_t* pid, double* paintedMs,
             double* mappedMs = nullptr) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x, &xcb_damage_id);
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
    xcb_flush(x);

    std::vector<std::string> argv = {buildDir + "/tolvane"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const auto start = Clock::now();
    *pid = Spawn(argv, nullptr, nullptr, tmp + "/start.err");
    bool painted = false;
    while (!painted && MsSince(start) < 30000) {
      xcb_generic_event_t* event = xcb_poll_for_event(x);
      if (!event) {
        if (xcb_connection_has_error(x)) break;
        pollfd ready{xcb_get_file_descriptor(x), POLLIN, 0};
        ::poll(&ready, 1, 100);
        continue;
      }
      const uint8_t type = event->response_type & 0x7f;
      if (type == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
        if (!map->override_redirect && IsMainWindow(x, map->window)) {
          if (mappedMs) *mappedMs = MsSince(start);
          xcb_damage_create(x, xcb_generate_id(x), map->window,
                            XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
          xcb_flush(x);
        }
      } else if (damage->present && type == damage->first_event + XCB_DAMAGE_NOTIFY) {
        *paintedMs = MsSince(start);
        painted = true;
      }
      free(event);
    }
    xcb_disconnect(x);
    return painted;
  }

  static bool IsMainWindow(xcb_connection_t* x, xcb_window_t window) {
    xcb_get_property_reply_t* name = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    const bool ours = name && xcb_get_property_value_length(name) >= 7 &&
                      std::string(static_cast<const char*>(xcb_get_property_value(name)), 7) ==
                          "Tolvane";
    free(name);
    return ours;
  }

  std::optional<platform::InstanceAnswer> Ask(const platform::InstanceRequest& request) {
    platform::InstanceConnection connection;
    if (!connection.Connect(platform::ClientSocketPath()) || !connection.Send(request)) return {};
    return connection.Receive();
  }

  int Count() {
    const auto answer = Ask({"count", {}});
    return answer && answer->status == platform::AnswerStatus::Ok ? std::atoi(answer->payload.c_str())
                                                                   : -1;
  }

  void MeasureItems(int items) {
    const std::string list = tmp + "/list" + std::to_string(items) + ".tvn";
    {
      doc::CClipList clips;
      for (int i = 0; i < items; ++i) clips.AddTail(ItemText(i));
      fw::SaveFileSafely(list, [&clips](fw::CArchive& ar) { doc::WriteClipList(ar, clips); });
    }
    FreshHome();
    pid_t program = -1;
    double ms = 0;
    if (!Start({list}, &program, &ms)) {
      std::printf("items=%d failed to start\n", items);
      StopProcess(program);
      return;
    }
    // Where this build does not read list files yet, the items come in through scripts.
    for (int i = items - 1; Count() < items && i >= 0; --i) Ask({"add", {ItemText(i)}});
    const int loaded = Count();

    int watchOut = -1;
    const pid_t watch = Spawn({buildDir + "/tolvanectl", "watch"}, nullptr, &watchOut);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string printed;
    // Waits until the watcher has printed `line`; false after 10 s of silence.
    const auto waitForLine = [&](const std::string& line) {
      for (;;) {
        const std::size_t end = printed.find('\n');
        if (end != std::string::npos) {
          const bool match = printed.compare(0, end, line) == 0 && end == line.size();
          printed.erase(0, end + 1);
          if (match) return true;
          continue;
        }
        pollfd ready{watchOut, POLLIN, 0};
        char buffer[4096];
        if (::poll(&ready, 1, 10000) <= 0) return false;
        const ssize_t n = ::read(watchOut, buffer, sizeof buffer);
        if (n <= 0) return false;
        printed.append(buffer, static_cast<std::size_t>(n));
      }
    };
    OwnerWatch owners;
    if (!owners.Ready()) std::fprintf(stderr, "e2e_bench: no selection notices from the server\n");
    // From the moment xclip owns the clipboard, and from the moment xclip was started.
    std::vector<double> latencies, withStart;
    const double cpuBefore = CpuMs(program);
    int copies = 0;
    // Each copy is the item at the tail: the list stays full (a full list refuses new
    // texts) and the duplicate scan runs through every item before it moves to the head.
    for (; copies < kCpuCopies; ++copies) {
      const std::string text = ItemText(items - 1 - copies % items);
      const auto start = Clock::now();
      Spawn({"xclip", "-selection", "clipboard"}, &text);
      const std::optional<Clock::time_point> owned = owners.NextChange();
      if (!owned || !waitForLine(text)) break;
      if (copies < kCopies) {
        latencies.push_back(MsSince(*owned));
        withStart.push_back(MsSince(start));
      }
      ReapOwners();
    }
    const double cpuPerCapture = (CpuMs(program) - cpuBefore) / std::max(copies, 1);
    std::printf(
        "items=%d e2e_ms=%.2f cpu_ms_per_capture=%.3f (with xclip's start %.2f ms; loaded=%d "
        "copies=%d)\n",
        items, Median(latencies), cpuPerCapture, Median(withStart), loaded, copies);
    std::fflush(stdout);
    StopProcess(watch);
    ::close(watchOut);
    StopProcess(program);
    ReapOwners();
  }

  void MeasureStart() {
    // One start that is not counted registers with the desktop; its tools end meanwhile.
    FreshHome();
    pid_t first = -1;
    double ignored = 0;
    Start({}, &first, &ignored);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    StopProcess(first);
    ReapOwners();

    std::vector<double> starts, maps;
    for (int i = 0; i < kStarts; ++i) {
      FreshHome(false);
      pid_t program = -1;
      double painted = 0, mapped = 0;
      if (Start({}, &program, &painted, &mapped)) {
        starts.push_back(painted);
        maps.push_back(mapped);
      } else {
        int status = 0;
        const bool ended = ::waitpid(program, &status, WNOHANG) == program;
        std::fprintf(stderr, "e2e_bench: start %d showed no window (%s)\n", i,
                     !ended ? "still running"
                     : WIFSIGNALED(status) ? ("signal " + std::to_string(WTERMSIG(status))).c_str()
                                           : ("exit " + std::to_string(WEXITSTATUS(status))).c_str());
        if (ended) program = -1;
        std::ifstream err(tmp + "/start.err");
        std::fprintf(stderr, "%s", std::string(std::istreambuf_iterator<char>(err), {}).c_str());
      }
      StopProcess(program);
    }
    std::printf("start_ms=%.1f map_ms=%.1f (starts=%zu)\n", Median(starts), Median(maps),
                starts.size());
  }
};

// Starts a server that prints where to reach it as its first line; that line, and the
// server's process id (-1 when it printed nothing).
pid_t StartServer(const std::vector<std::string>& argv, std::string* line) {
  int out = -1;
  const pid_t pid = Spawn(argv, nullptr, &out);
  char c = 0;
  while (::read(out, &c, 1) == 1 && c != '\n') line->push_back(c);
  ::close(out);
  if (!line->empty()) return pid;
  StopProcess(pid);
  return -1;
}

// A private X server on a display it picks itself (so that no other server's number is
// taken by mistake); its process id.
pid_t StartXvfb() {
  std::string number;
  const pid_t pid = StartServer(
      {"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, &number);
  if (pid > 0) ::setenv("DISPLAY", (":" + number).c_str(), 1);
  return pid;
}

// A private session bus, as every desktop session has one (without it, the program's
// accessibility bridge tries to launch one at start); its process id, or -1.
pid_t StartSessionBus() {
  std::string address;
  const pid_t pid =
      StartServer({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, &address);
  if (pid > 0) {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  } else {
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  return pid;
}

}  // namespace

int main(int argc, char* argv[]) {
  // A reader that goes away (e2e_bench | head) must not end the run before it cleans up.
  ::signal(SIGPIPE, SIG_IGN);
  Bench bench;
  const bool startOnly = argc > 1 && std::string(argv[1]) == "--start-only";
  if (startOnly) --argc, ++argv;
  bench.buildDir = argc > 1 ? argv[1] : TOLVANE_BUILD_DIR;
  char folder[] = "/tmp/tolvane-e2e-bench-XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  bench.tmp = folder;
  ::unsetenv("WAYLAND_DISPLAY");
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  const pid_t xvfb = StartXvfb();
  if (xvfb < 0) {
    std::fprintf(stderr, "e2e_bench: no X server could be started\n");
    return 1;
  }
  const pid_t bus = StartSessionBus();
  if (bus < 0) std::printf("(no session bus: dbus-daemon could not be started)\n");
  bench.MeasureStart();
  if (!startOnly) {
    for (int items : {1000, 32767}) bench.MeasureItems(items);
  }
  StopProcess(bus);
  StopProcess(xvfb);
  RunAndWait({"rm", "-rf", bench.tmp});
  return 0;
}
