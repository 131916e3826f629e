#pragma once

#include <dirent.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace testing_support {

// The user the tests become when they run as root, for whom permission bits count.
inline constexpr uid_t kOrdinaryId = 65534;

// Runs `body` with the rights of an ordinary user and returns its result (0 to 98). Run as
// root, `folder` and the files in it are given to kOrdinaryId (modes stay) and `body` runs
// in a child process that has become that user. Returns kCannotSwitch when the child could
// not give up root.
inline constexpr int kCannotSwitch = 99;
inline int AsOrdinaryUser(const std::string& folder, const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  if (::chown(folder.c_str(), kOrdinaryId, kOrdinaryId) != 0) return kCannotSwitch;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "/" + name;
      ::lchown(path.c_str(), kOrdinaryId, kOrdinaryId);
    }
    ::closedir(dir);
  }
  const pid_t child = ::fork();
  if (child < 0) return kCannotSwitch;
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kOrdinaryId, kOrdinaryId, kOrdinaryId) != 0 ||
        ::setresuid(kOrdinaryId, kOrdinaryId, kOrdinaryId) != 0) {
      ::_exit(kCannotSwitch);
    }
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return kCannotSwitch;
  return WEXITSTATUS(status);
}

}  // namespace testing_support
