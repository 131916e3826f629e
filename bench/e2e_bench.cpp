// The whole path as a user sees it, on a private X server, beside the two floors that no
// clipboard keeper can go below: floor_capture (a bare xcb client that asks for the text on
// the server's notice of a new owner and prints it) and floor_window (a bare Qt main window
// with one Japanese label, built here with the same Qt and -O2).
//  - copy -> stored: another program (xclip) takes the clipboard with a new text; the time
//    from the server's notice of the new owner until `tolvanectl watch` (or the floor
//    itself) prints the text; copies back to back, median of each run.
//  - CPU and wake-ups per copy: processor time and voluntary context switches of all the
//    program's threads per copy, at a steady 10 copies per second and back to back.
//  - start: from starting the program to its main window mapped and first drawn into (seen
//    through the server's damage reports), the program's processor time until then, and
//    its resident memory after a second of idleness.
// Tolvane runs with 1,000 and 32,767 items loaded from a list file. Runs alternate between
// the programs, one program on the server at a time. Every figure is the median over the
// runs, with the spread (lowest-highest run) and its ratio to the floor's median.
// The program runs as in a desktop session: a private X server and a private session bus.
// Needs Xvfb, xclip and dbus-daemon.
// Run: build/bench/e2e_bench [--start-only] [--threads] [build folder]
#include <dirent.h>
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
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
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

constexpr int kRuns = 5;
constexpr int kCopies = 20;         // back to back, per run
constexpr int kSteadyCopies = 100;  // at 10 per second, per run
constexpr auto kSteadyPeriod = std::chrono::milliseconds(100);
constexpr int kStarts = 8;
constexpr int kSmallList = 1000;
constexpr int kLargeList = 32767;

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

// utime + stime in milliseconds from the text of a /proc stat file.
double CpuMsOf(const std::string& stat) {
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return 1000.0 * static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// utime + stime of `pid` (all its threads, ended ones included) in milliseconds.
double CpuMs(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  return CpuMsOf(std::string(std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()));
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

// The lowest and highest run and the median over the runs of one figure.
struct Spread {
  double median = -1, lowest = -1, highest = -1;
};

Spread SpreadOf(const std::vector<double>& values) {
  if (values.empty()) return {};
  return {Median(values), *std::min_element(values.begin(), values.end()),
          *std::max_element(values.begin(), values.end())};
}

// One thread of a program: its name, processor time (the scheduler's count in
// nanoseconds, not the clock ticks of utime and stime) and voluntary context switches
// (each one a wait that ended in a wake-up).
struct ThreadCounts {
  std::string name;
  double cpuMs = 0;
  long long wakeUps = 0;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every live thread of `pid` by thread id.
std::map<int, ThreadCounts> Threads(pid_t pid) {
  std::map<int, ThreadCounts> threads;
  const std::string base = "/proc/" + std::to_string(pid) + "/task";
  DIR* tasks = ::opendir(base.c_str());
  if (!tasks) return threads;
  while (const dirent* entry = ::readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    const std::string task = base + "/" + entry->d_name;
    const std::string stat = ReadAll(task + "/stat");
    const std::size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    ThreadCounts& counts = threads[std::atoi(entry->d_name)];
    counts.name = stat.substr(open + 1, close - open - 1);
    counts.cpuMs = std::atof(ReadAll(task + "/schedstat").c_str()) / 1e6;
    const std::string status = ReadAll(task + "/status");
    const std::size_t at = status.find("voluntary_ctxt_switches:");
    if (at != std::string::npos) counts.wakeUps = std::atoll(status.c_str() + at + 24);
  }
  ::closedir(tasks);
  return threads;
}

// What the threads that are alive `after` did since `before`: processor time and wake-ups.
std::pair<double, long long> Growth(const std::map<int, ThreadCounts>& before,
                                    const std::map<int, ThreadCounts>& after) {
  double cpuMs = 0;
  long long wakeUps = 0;
  for (const auto& [id, counts] : after) {
    const auto then = before.find(id);
    cpuMs += counts.cpuMs - (then != before.end() ? then->second.cpuMs : 0);
    wakeUps += counts.wakeUps - (then != before.end() ? then->second.wakeUps : 0);
  }
  return {cpuMs, wakeUps};
}

// Waits until `pid` has used no processor time for 300 ms (at most 10 s): the work that
// follows a start (lines measured in slices, the desktop registration) is not counted.
void WaitUntilIdle(pid_t pid) {
  const auto start = Clock::now();
  double last = CpuMs(pid);
  while (MsSince(start) < 10000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double now = CpuMs(pid);
    if (now == last) return;
    last = now;
  }
}

// Resident memory of `pid` in MB.
double RssMb(pid_t pid) {
  const std::string rollup = ReadAll("/proc/" + std::to_string(pid) + "/smaps_rollup");
  const std::size_t at = rollup.find("\nRss:");
  return at == std::string::npos ? -1 : std::atof(rollup.c_str() + at + 5) / 1024.0;
}

// Figures of one run of copies into one program.
struct CopyRun {
  double e2eMs = -1;  // median over the run
  double cpuMs = -1;    // per copy, all threads
  double wakeUps = -1;  // per copy, all threads
  int copies = 0;
  std::map<int, ThreadCounts> before, after;
};

// A program that captures copies and shows each one as a line: Tolvane through
// `tolvanectl watch`, the floor itself.
struct Capturer {
  pid_t program = -1;  // whose processor time counts
  pid_t watch = -1;
  int lines = -1;
  std::string printed;

  // Waits until `line` has been printed; false after 10 s of silence.
  bool WaitForLine(const std::string& line) {
    for (;;) {
      const std::size_t end = printed.find('\n');
      if (end != std::string::npos) {
        const bool match = printed.compare(0, end, line) == 0 && end == line.size();
        printed.erase(0, end + 1);
        if (match) return true;
        continue;
      }
      pollfd ready{lines, POLLIN, 0};
      char buffer[4096];
      if (::poll(&ready, 1, 10000) <= 0) return false;
      const ssize_t n = ::read(lines, buffer, sizeof buffer);
      if (n <= 0) return false;
      printed.append(buffer, static_cast<std::size_t>(n));
    }
  }

  void Stop() {
    StopProcess(watch);
    if (lines >= 0) ::close(lines);
    StopProcess(program);
    ReapOwners();
  }
};

struct Bench {
  std::string buildDir;
  std::string tmp;
  int run = 0;
  bool threadDetails = false;

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

  // Starts `argv` and waits until it has drawn into its mapped main window, the one whose
  // title starts with `title`: the time to that first drawing and to the mapping; false
  // on failure.
  bool Start(const std::vector<std::string>& argv, const std::string& title, pid_t* pid,
             double* paintedMs, double* mappedMs = nullptr) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x, &xcb_damage_id);
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
    xcb_flush(x);

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
        if (!map->override_redirect && HasTitle(x, map->window, title)) {
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

  static bool HasTitle(xcb_connection_t* x, xcb_window_t window, const std::string& title) {
    xcb_get_property_reply_t* name = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    const bool ours =
        name && xcb_get_property_value_length(name) >= static_cast<int>(title.size()) &&
        std::string(static_cast<const char*>(xcb_get_property_value(name)), title.size()) == title;
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

  std::string ListFile(int items) {
    const std::string list = tmp + "/list" + std::to_string(items) + ".tvn";
    if (::access(list.c_str(), F_OK) != 0) {
      doc::CClipList clips;
      for (int i = 0; i < items; ++i) clips.AddTail(ItemText(i));
      fw::SaveFileSafely(list, [&clips](fw::CArchive& ar) { doc::WriteClipList(ar, clips); });
    }
    return list;
  }

  // Tolvane with `items` loaded from a list file, and `tolvanectl watch` printing its
  // captures; program -1 when it did not start.
  Capturer StartTolvane(int items) {
    Capturer tolvane;
    FreshHome();
    double ms = 0;
    if (!Start({buildDir + "/tolvane", ListFile(items)}, "Tolvane", &tolvane.program, &ms)) {
      std::fprintf(stderr, "e2e_bench: Tolvane with %d items did not start\n", items);
      tolvane.Stop();
      tolvane.program = -1;
      return tolvane;
    }
    // Where this build does not read list files yet, the items come in through scripts.
    for (int i = items - 1; Count() < items && i >= 0; --i) Ask({"add", {ItemText(i)}});
    tolvane.watch = Spawn({buildDir + "/tolvanectl", "watch"}, nullptr, &tolvane.lines);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return tolvane;
  }

  Capturer StartFloorCapture() {
    Capturer floor;
    floor.program = Spawn({buildDir + "/bench/floor_capture"}, nullptr, &floor.lines);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return floor;
  }

  // `count` copies, each a text that `next` returns, one every `period` or back to back
  // (a zero period).
  CopyRun Copies(Capturer& capturer, int count, Clock::duration period,
                 const std::function<std::string()>& next) {
    CopyRun figures;
    OwnerWatch owners;
    if (!owners.Ready()) std::fprintf(stderr, "e2e_bench: no selection notices from the server\n");
    std::vector<double> latencies;
    WaitUntilIdle(capturer.program);
    figures.before = Threads(capturer.program);
    const auto first = Clock::now();
    for (; figures.copies < count; ++figures.copies) {
      if (period.count() > 0) std::this_thread::sleep_until(first + figures.copies * period);
      const std::string text = next();
      Spawn({"xclip", "-selection", "clipboard"}, &text);
      const std::optional<Clock::time_point> owned = owners.NextChange();
      if (!owned || !capturer.WaitForLine(text)) break;
      latencies.push_back(MsSince(*owned));
      ReapOwners();
    }
    const int copies = std::max(figures.copies, 1);
    figures.after = Threads(capturer.program);
    const auto [cpuMs, wakeUps] = Growth(figures.before, figures.after);
    figures.cpuMs = cpuMs / copies;
    figures.wakeUps = static_cast<double>(wakeUps) / copies;
    figures.e2eMs = Median(latencies);
    return figures;
  }

  // Per thread: processor time and wake-ups per copy over one run.
  void PrintThreads(const char* who, const CopyRun& run) {
    std::printf("  %s, per copy at 10 per second, by thread:", who);
    for (const auto& [id, after] : run.after) {
      const auto before = run.before.find(id);
      const double cpu = after.cpuMs - (before != run.before.end() ? before->second.cpuMs : 0);
      const long long wakeUps =
          after.wakeUps - (before != run.before.end() ? before->second.wakeUps : 0);
      if (cpu == 0 && wakeUps == 0) continue;
      std::printf("  %s %.3f ms %.1f wake-ups", after.name.c_str(), cpu / std::max(run.copies, 1),
                  static_cast<double>(wakeUps) / std::max(run.copies, 1));
    }
    std::printf("\n");
    std::fflush(stdout);
  }

  // One program's figures over the runs, by measure.
  using Column = std::map<std::string, std::vector<double>>;

  void CopyRuns(Column& column, Capturer& capturer, int items, const char* who) {
    int serial = 0;
    // Tolvane copies the item at the tail each time: the list stays full (a full list
    // refuses new texts) and the duplicate scan runs through every item before the text
    // moves to the head.
    const auto next = [&] { return ItemText(items > 0 ? items - 1 - serial++ % items : serial++); };
    const CopyRun backToBack = Copies(capturer, kCopies, {}, next);
    const CopyRun steady = Copies(capturer, kSteadyCopies, kSteadyPeriod, next);
    if (backToBack.copies < kCopies || steady.copies < kSteadyCopies) {
      std::fprintf(stderr, "e2e_bench: %s stopped printing after %d and %d copies\n", who,
                   backToBack.copies, steady.copies);
    }
    column["e2e"].push_back(backToBack.e2eMs);
    column["e2e10"].push_back(steady.e2eMs);
    column["cpu10"].push_back(steady.cpuMs);
    column["cpu"].push_back(backToBack.cpuMs);
    column["wake10"].push_back(steady.wakeUps);
    column["wake"].push_back(backToBack.wakeUps);
    if (threadDetails) PrintThreads(who, steady);
  }

  void MeasureCopies(Column& floor, Column& small, Column& large) {
    for (int i = 0; i < kRuns; ++i) {
      Capturer bare = StartFloorCapture();
      CopyRuns(floor, bare, 0, "floor");
      bare.Stop();
      for (auto [items, column] : {std::pair{kSmallList, &small}, std::pair{kLargeList, &large}}) {
        Capturer tolvane = StartTolvane(items);
        if (tolvane.program < 0) continue;
        CopyRuns(*column, tolvane, items, items == kSmallList ? "Tolvane 1,000" : "Tolvane 32,767");
        tolvane.Stop();
      }
    }
  }

  // One start of `argv` until painted; its figures go to `column`.
  void StartOnce(Column& column, const std::vector<std::string>& argv, const std::string& title) {
    FreshHome(false);
    pid_t program = -1;
    double painted = 0, mapped = 0;
    if (Start(argv, title, &program, &painted, &mapped)) {
      column["painted"].push_back(painted);
      column["mapped"].push_back(mapped);
      column["startcpu"].push_back(CpuMs(program));
      std::this_thread::sleep_for(std::chrono::seconds(1));
      column["rss"].push_back(RssMb(program));
    } else {
      int status = 0;
      const bool ended = ::waitpid(program, &status, WNOHANG) == program;
      std::fprintf(stderr, "e2e_bench: %s showed no window (%s)\n", argv[0].c_str(),
                   !ended ? "still running"
                   : WIFSIGNALED(status) ? ("signal " + std::to_string(WTERMSIG(status))).c_str()
                                         : ("exit " + std::to_string(WEXITSTATUS(status))).c_str());
      if (ended) program = -1;
      std::fprintf(stderr, "%s", ReadAll(tmp + "/start.err").c_str());
    }
    StopProcess(program);
  }

  void MeasureStarts(Column& floor, Column& tolvane) {
    // One start that is not counted registers with the desktop; its tools end meanwhile.
    FreshHome();
    pid_t first = -1;
    double ignored = 0;
    Start({buildDir + "/tolvane"}, "Tolvane", &first, &ignored);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    StopProcess(first);
    ReapOwners();
    for (int i = 0; i < kStarts; ++i) {
      StartOnce(floor, {buildDir + "/bench/floor_window"}, "Floor");
      StartOnce(tolvane, {buildDir + "/tolvane"}, "Tolvane");
    }
  }
};

// "median [lowest-highest]" and, beside a floor, "xRatio".
std::string Cell(const std::vector<double>& values, const Spread* floor, int decimals) {
  if (values.empty()) return "-";
  const Spread spread = SpreadOf(values);
  char text[96];
  std::snprintf(text, sizeof text, "%.*f [%.*f-%.*f]", decimals, spread.median, decimals,
                spread.lowest, decimals, spread.highest);
  std::string cell = text;
  if (floor && floor->median > 0) {
    std::snprintf(text, sizeof text, " x%.1f", spread.median / floor->median);
    cell += text;
  }
  return cell;
}

void PrintRow(const char* measure, const char* key, Bench::Column& floor,
              const std::vector<Bench::Column*>& ours, int decimals) {
  const Spread base = SpreadOf(floor[key]);
  std::printf("%-34s %-24s", measure, Cell(floor[key], nullptr, decimals).c_str());
  for (Bench::Column* column : ours) {
    std::printf(" %-30s", Cell((*column)[key], &base, decimals).c_str());
  }
  std::printf("\n");
}

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
  bool startOnly = false;
  for (; argc > 1 && argv[1][0] == '-'; --argc, ++argv) {
    const std::string option = argv[1];
    if (option == "--start-only") {
      startOnly = true;
    } else if (option == "--threads") {
      bench.threadDetails = true;
    } else {
      std::fprintf(stderr, "usage: e2e_bench [--start-only] [--threads] [build folder]\n");
      return 2;
    }
  }
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
  double load[3] = {0, 0, 0};
  ::getloadavg(load, 3);
  const std::time_t now = std::time(nullptr);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  std::printf("%s, load %.2f %.2f %.2f, %ld processors\n", date, load[0], load[1], load[2],
              ::sysconf(_SC_NPROCESSORS_ONLN));

  Bench::Column startFloor, startOurs, copyFloor, small, large;
  bench.MeasureStarts(startFloor, startOurs);
  if (!startOnly) bench.MeasureCopies(copyFloor, small, large);

  std::printf("\nmedian [lowest-highest] over the runs, xN = median / floor's median\n");
  std::printf("%-34s %-24s %-30s %-30s\n", "measure", "floor", "Tolvane, 1,000 items",
              "Tolvane, 32,767 items");
  if (!startOnly) {
    const std::vector<Bench::Column*> ours = {&small, &large};
    PrintRow("copy -> stored, back to back, ms", "e2e", copyFloor, ours, 3);
    PrintRow("copy -> stored, 10/s, ms", "e2e10", copyFloor, ours, 3);
    PrintRow("CPU per copy, 10/s, ms", "cpu10", copyFloor, ours, 3);
    PrintRow("CPU per copy, back to back, ms", "cpu", copyFloor, ours, 3);
    PrintRow("wake-ups per copy, 10/s", "wake10", copyFloor, ours, 1);
    PrintRow("wake-ups per copy, back to back", "wake", copyFloor, ours, 1);
  }
  const std::vector<Bench::Column*> ours = {&startOurs};
  PrintRow("start -> window mapped, ms", "mapped", startFloor, ours, 1);
  PrintRow("start -> window painted, ms", "painted", startFloor, ours, 1);
  PrintRow("CPU until painted, ms", "startcpu", startFloor, ours, 0);
  PrintRow("idle RSS, MB", "rss", startFloor, ours, 1);
  std::printf("(copies: %d runs of %d back to back and %d at 10/s; starts: %d each. CPU per copy "
              "is the scheduler's time of all threads, CPU until painted in clock ticks; "
              "wake-ups are voluntary context switches of all threads)\n",
              kRuns, kCopies, kSteadyCopies, kStarts);

  StopProcess(bus);
  StopProcess(xvfb);
  RunAndWait({"rm", "-rf", bench.tmp});
  return 0;
}
