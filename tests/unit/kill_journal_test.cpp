// Kills the running program with SIGKILL at random moments while a script adds texts to
// its list, as tolvanectl's add does. Each next start must bring the list back with every
// text whose adding was answered before the journal's last write, in order, and nothing
// else. The last round ends the program by SIGTERM instead, which must leave no journal.
// Rounds come from TOLVANE_KILL_ROUNDS (20); the figures are printed at the end.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "document/journal_format.h"
#include "document/journal_store.h"
#include "platform/instance_client.h"
#include "platform/journal_file.h"

namespace {

using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// Lists longer than this are ended (by SIGTERM, as at log-off) and the next round starts
// a new one, well below the item limit.
constexpr std::size_t kLongestList = 20000;

long EnvOr(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atol(value) : fallback;
}

std::string MakeFolder(const std::string& parent, const char* name) {
  const std::string path = parent + "/" + name;
  ::mkdir(path.c_str(), 0700);
  return path;
}

std::optional<platform::InstanceAnswer> Ask(const std::string& verb, Texts arguments = {}) {
  platform::InstanceConnection connection;
  if (!connection.Connect(platform::ClientSocketPath(), 5000)) return std::nullopt;
  if (!connection.Send({verb, std::move(arguments)})) return std::nullopt;
  return connection.Receive();
}

// The program's list, head first; nullopt when it has none.
std::optional<Texts> ListOfProgram() {
  const auto answer = Ask("list");
  if (!answer || answer->status != platform::AnswerStatus::Ok) return std::nullopt;
  Texts items;
  std::istringstream in(answer->payload);
  for (std::string item; std::getline(in, item, '\0');) items.push_back(item);
  return items;
}

std::vector<std::string> JournalFiles(const std::string& folder) {
  std::vector<std::string> files;
  DIR* dir = ::opendir(folder.c_str());
  while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
    if (std::string_view(entry->d_name).ends_with(doc::kJournalSuffix)) {
      files.push_back(folder + "/" + entry->d_name);
    }
  }
  if (dir) ::closedir(dir);
  return files;
}

// How many texts starting with `prefix` head the list that the journals on disk hold now.
std::size_t WrittenTexts(const std::string& folder, const std::string& prefix) {
  std::size_t written = 0;
  for (const std::string& path : JournalFiles(folder)) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    doc::JournalContent content;
    if (doc::ReadJournal(bytes.str(), content) != doc::JournalReadStatus::Ok) continue;
    std::size_t count = 0;
    while (static_cast<int>(count) < content.list.GetCount() &&
           content.list.GetAt(static_cast<int>(count)).starts_with(prefix)) {
      ++count;
    }
    written = std::max(written, count);
  }
  return written;
}

pid_t StartProgram(bool withoutNewList) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    // "/dde": no list of its own, so the list brought back is the active one.
    if (withoutNewList) {
      ::execl(TOLVANE_BINARY, TOLVANE_BINARY, "/dde", static_cast<char*>(nullptr));
    } else {
      ::execl(TOLVANE_BINARY, TOLVANE_BINARY, static_cast<char*>(nullptr));
    }
    ::_exit(127);
  }
  return child;
}

// Waits until the program answers; its start-up, recovery included, is over by then.
bool WaitUntilAnswering() {
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Clock::now() < deadline) {
    if (Ask("count")) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(KillJournalTest, AKilledProgramsListComesBackWithEverythingWrittenAndNothingElse) {
  const long rounds = EnvOr("TOLVANE_KILL_ROUNDS", 20);
  std::string home = testing::TempDir() + "tolvane-killj-XXXXXX";
  ASSERT_NE(::mkdtemp(home.data()), nullptr);
  ::setenv("XDG_RUNTIME_DIR", MakeFolder(home, "runtime").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", MakeFolder(home, "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", MakeFolder(home, "data").c_str(), 1);
  ::setenv("XDG_STATE_HOME", MakeFolder(home, "state").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("LC_ALL", "C.UTF-8", 1);
  const std::string journals = platform::JournalFolder();

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delayMs(10, 400);
  Texts model;  // the list as the program should have it, head first
  bool listLeft = false;
  long answered = 0, lost = 0, maxLost = 0, ends = 0, written = 0;
  double maxBatch = 0;
  for (long round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t program = StartProgram(listLeft);
    ASSERT_TRUE(WaitUntilAnswering());
    if (listLeft) {
      const std::optional<Texts> items = ListOfProgram();
      ASSERT_TRUE(items) << "no list came back";
      ASSERT_EQ(*items, model);
    }

    const std::string prefix = "round " + std::to_string(round) + " text ";
    Texts added;  // answered, oldest first
    std::atomic<bool> stop = false;
    std::string inFlight;
    const auto started = Clock::now();
    std::thread adder([&] {
      for (long i = 0; !stop; ++i) {
        inFlight = prefix + std::to_string(i);
        const auto answer = Ask("add", {inFlight});
        if (!answer) break;
        ASSERT_EQ(answer->status, platform::AnswerStatus::Ok);
        added.push_back(inFlight);
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    const bool endNormally = model.size() > kLongestList || round == rounds - 1;
    std::size_t onDisk = 0;
    if (endNormally) {
      stop = true;
      adder.join();
      ::kill(program, SIGTERM);
    } else {
      onDisk = WrittenTexts(journals, prefix);
      ::kill(program, SIGKILL);
    }
    const double runMs =
        std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    int status = 0;
    ::waitpid(program, &status, 0);
    if (adder.joinable()) adder.join();

    if (endNormally) {
      // A termination signal ends the program as Exit does: no list is left to come back.
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      EXPECT_TRUE(JournalFiles(journals).empty());
      model.clear();
      listLeft = false;
      ++ends;
      continue;
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    // What the next start must bring: the texts up to some point between the last one on
    // disk before the kill and the one being added when it came.
    Texts candidates = added;
    if (!inFlight.empty() && (added.empty() || added.back() != inFlight)) {
      candidates.push_back(inFlight);
    }
    const pid_t check = StartProgram(true);
    const bool answering = WaitUntilAnswering();
    const std::optional<Texts> back = answering ? ListOfProgram() : std::nullopt;
    ::kill(check, SIGKILL);
    ::waitpid(check, &status, 0);
    ASSERT_TRUE(answering);
    const Texts items = back.value_or(Texts{});
    ASSERT_GE(items.size(), model.size());
    const std::size_t kept = items.size() - model.size();
    ASSERT_GE(kept, onDisk) << "texts written before the kill are missing";
    ASSERT_LE(kept, candidates.size()) << "texts that were never added came back";
    for (std::size_t i = 0; i < kept; ++i) ASSERT_EQ(items[i], candidates[kept - 1 - i]);
    ASSERT_TRUE(std::equal(model.begin(), model.end(), items.begin() + kept));

    model = items;
    listLeft = !model.empty();
    const long lostNow = static_cast<long>(added.size()) - static_cast<long>(std::min(kept, added.size()));
    answered += static_cast<long>(added.size());
    written += static_cast<long>(onDisk);
    lost += lostNow;
    maxLost = std::max(maxLost, lostNow);
    maxBatch = std::max(maxBatch, added.size() * 100.0 / runMs);
  }
  std::system(("rm -rf '" + home + "'").c_str());
  std::printf("kills=%ld normal_ends=%ld texts_answered=%ld written_before_kill=%ld "
              "lost=%ld max_lost_in_one_kill=%ld texts_per_100ms_at_most=%.0f corrupt=0\n",
              rounds - ends, ends, answered, written, lost, maxLost, maxBatch);
}

}  // namespace
