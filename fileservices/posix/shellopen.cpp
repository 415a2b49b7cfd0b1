#include "fileservices/shellopen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileservices/codepage.h"

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

// Between fork and exec only async-signal-safe calls are made.
[[noreturn]] void ExecOpener(const char* program, char* const argv[], int nullInput) {
  if (nullInput >= 0) dup2(nullInput, STDIN_FILENO);
#ifdef SYS_close_range
  // The opener (and the browser it starts) has no business with our descriptors.
  syscall(SYS_close_range, 3u, ~0u, 0u);
#endif
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction dflt {};
  dflt.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &dflt, nullptr);
  setsid();  // the browser outlives the editor's terminal session
  execv(program, argv);
  _exit(127);
}

// fork() runs the atfork handlers, which are not safe in the child of a process that
// may have other threads; _Fork() skips them.
pid_t ForkBare() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  return _Fork();
#else
  return fork();
#endif
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
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), argument.data(), nullptr};
  const int nullInput = open("/dev/null", O_RDONLY | O_CLOEXEC);

  // Two forks: the middle process ends at once and is reaped here, so the opener is
  // adopted by init and neither waited for nor left behind as a zombie.
  const pid_t child = fork();
  if (child == 0) {
    const pid_t grandchild = ForkBare();
    if (grandchild == 0) ExecOpener(argv[0], argv.data(), nullInput);
    _exit(grandchild < 0 ? 1 : 0);
  }
  if (nullInput >= 0) close(nullInput);
  if (child < 0) return;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace FileMisc
