#include "fileservices/shellopen.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>

#include "fileservices/codepage.h"

extern char** environ;

namespace FileMisc {
namespace {

// The opener as an absolute path. Empty and relative PATH entries are skipped: the
// working directory is no place to pick a program from.
std::string FindOpener() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t pos = 0;
  while (pos <= dirs.size()) {
    std::size_t end = dirs.find(':', pos);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(pos, end - pos);
    pos = end + 1;
    if (dir.empty() || dir[0] != '/') continue;
    const std::string candidate = dir + "/xdg-open";
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

// Starts argv[0] (an absolute path) with the arguments that follow, in a session of its
// own (the browser outlives the editor's terminal), with /dev/null for input, no
// descriptor of ours beyond output and errors, every signal at its default and none
// blocked. posix_spawn sets it all up in the child between its clone and the exec, and
// reports a failed exec as its own failure. The child's id, or -1.
pid_t Spawn(char* const argv[]) {
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  if (posix_spawnattr_init(&attr) != 0) return -1;
  pid_t child = -1;
  if (posix_spawn_file_actions_init(&actions) == 0) {
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    const bool ready =
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
        posix_spawnattr_setsigmask(&attr, &none) == 0 && posix_spawnattr_setsigdefault(&attr, &all) == 0 &&
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
    if (!ready || posix_spawn(&child, argv[0], &actions, &attr, argv, environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  posix_spawnattr_destroy(&attr);
  return child;
}

}  // namespace

void OpenWithShell(std::uintptr_t /*ownerWindow*/, std::string_view target) {
  // An empty target opens nothing, a NUL cannot pass through argv, and a leading '-'
  // would be read by the opener as an option.
  if (target.empty() || target.find('\0') != std::string_view::npos || target.front() == '-')
    return;
  const std::string program = FindOpener();
  if (program.empty()) return;
  std::string argument = codepage::ToUtf8(target);
  char* argv[] = {const_cast<char*>(program.c_str()), argument.data(), nullptr};
  const pid_t child = Spawn(argv);
  if (child < 0) return;

  // The opener is our child, and a child that has ended stays a zombie until it is waited
  // for. The process-wide ways out (SIGCHLD ignored, SA_NOCLDWAIT) are not a library's to
  // take in a program whose toolkit may start processes of its own, and a process in
  // between (started, ended at once, the opener left to init) would need a program of its
  // own to run, or a fork of the whole editor. So a thread of its own waits for this one
  // child, by its id, and ends with it; the caller goes on at once.
  try {
    std::thread([child] {
      while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the opener runs all the same, and is left a zombie once ended.
  }
}

}  // namespace FileMisc
