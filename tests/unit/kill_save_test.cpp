// Kills a process that keeps saving a large list at random moments; after every kill the
// file must hold one complete list, the old one or a new one. Rounds and items come from
// TOLVANE_KILL_ROUNDS (20) and TOLVANE_KILL_ITEMS (200000).
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "document/clip_list_serializer.h"
#include "framework/file_loader.h"
#include "framework/safe_file_writer.h"
#include "kill_save_list.h"
#include "platform/atomic_file.h"

namespace {

long EnvOr(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atol(value) : fallback;
}

// The generation of the complete list in `path`, or -1 with a failure recorded.
long GenerationIn(const std::string& path, long items) {
  doc::CClipList list;
  try {
    fw::LoadFile(path, [&](fw::CArchive& ar) { doc::ReadClipList(ar, list); });
  } catch (const std::exception& e) {
    ADD_FAILURE() << "unreadable after a kill: " << e.what();
    return -1;
  }
  if (list.GetCount() != items) {
    ADD_FAILURE() << "holds " << list.GetCount() << " items";
    return -1;
  }
  const long generation = std::atol(list.GetAt(0).c_str() + std::string("generation ").size());
  for (long i = 0; i < items; ++i) {
    if (list.GetAt(static_cast<int>(i)) != killsave::MakeItem(generation, i)) {
      ADD_FAILURE() << "item " << i << " is not of generation " << generation;
      return -1;
    }
  }
  return generation;
}

// The temporary files of saves in `dir`.
int SaveTempsIn(const std::string& dir) {
  int count = 0;
  DIR* d = ::opendir(dir.c_str());
  while (dirent* e = d ? ::readdir(d) : nullptr) {
    if (std::string(e->d_name).starts_with(platform::kTempFilePrefix)) ++count;
  }
  if (d) ::closedir(d);
  return count;
}

TEST(KillSaveTest, AKilledSaveLeavesTheOldOrTheNewListWhole) {
  const long rounds = EnvOr("TOLVANE_KILL_ROUNDS", 20);
  const long items = EnvOr("TOLVANE_KILL_ITEMS", 200000);
  std::string dir = testing::TempDir() + "tolvane-kill-XXXXXX";
  ASSERT_NE(::mkdtemp(dir.data()), nullptr);
  const std::string path = dir + "/list.tvn";
  {
    doc::CClipList list;
    killsave::FillList(list, 0, items);
    fw::SaveFileSafely(path, [&](fw::CArchive& ar) { doc::WriteClipList(ar, list); });
  }

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delayMs(10, 1500);
  long generation = 0;
  int newer = 0;
  int stale = 0;
  for (long round = 0; round < rounds; ++round) {
    const std::string first = std::to_string(generation + 1);
    const std::string count = std::to_string(items);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::execl(KILL_SAVE_CHILD, KILL_SAVE_CHILD, path.c_str(), count.c_str(), first.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself";

    const long seen = GenerationIn(path, items);
    ASSERT_GE(seen, generation) << "round " << round;
    if (seen > generation) ++newer;
    generation = seen;
    // A killed save holds no lock any more: the program's cleanup takes its file at once
    // when told to ignore the age.
    stale += SaveTempsIn(dir);
    platform::RemoveStaleTempFiles(path, 0);
    EXPECT_EQ(SaveTempsIn(dir), 0) << "round " << round;
  }
  ::unlink(path.c_str());
  ::rmdir(dir.c_str());
  std::printf("rounds=%ld items=%ld rounds_with_a_newer_list=%d stale_temp_files=%d\n", rounds,
              items, newer, stale);
}

}  // namespace
