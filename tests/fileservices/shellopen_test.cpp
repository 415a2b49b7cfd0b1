#include "fileservices/shellopen.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

// An opener on a PATH of its own adds to a record its arguments, one a line, its input,
// whether it leads a session of its own and whether it got our descriptor 42, once the
// call that started it has returned; the PATH also holds a relative entry, which is never
// searched. Targets that are empty or read like an option are not handed on. Once the
// opener has ended, no child is left, not even a zombie.
TEST(ShellOpen, runsTheOpenerWithTheAddress_noZombie_silentWhenThereIsNone) {
  testsupport::TempDir dir;
  const fs::path record = dir.path() / "argv.txt", bin = dir.path() / "bin";
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", ("relative:" + bin.string()).c_str(), 1);
  FileMisc::OpenWithShell(0, "https://example.org/");  // no opener yet
  const std::string r = "'" + record.string() + "'";
  chmod(dir.writeFile("bin/xdg-open", "#!/bin/sh\nread p c s pp g sid rest < /proc/$$/stat\n"
                                      "for i in $(/bin/seq 300); do [ -e " + r + ".go ] && break; /bin/sleep 0.01; done\n[ -e " + r + ".go ] || exit\n"
                                      "{ printf '%s\\n' \"$@\"; /bin/readlink /proc/$$/fd/0; [ $sid = $$ ] && echo session;"
                                      " [ -e /proc/$$/fd/42 ] && echo fd42; } >> " + r + "\n")
            .c_str(), 0755);
  for (const char* ignored : {"", "--version"}) FileMisc::OpenWithShell(0, ignored);
  const int input = dup(STDIN_FILENO);
  dup2(STDERR_FILENO, STDIN_FILENO), dup2(STDERR_FILENO, 42);  // our input, and a descriptor left open on exec
  FileMisc::OpenWithShell(0, "https://example.org/norvik?a=1&b=\xE9");
  dup2(input, STDIN_FILENO), close(input), close(42);
  dir.writeFile("argv.txt.go", "");  // the opener waits for it: the call must not wait for the opener
  setenv("PATH", savedPath.c_str(), 1);
  siginfo_t child{};  // looked at, not reaped (WNOWAIT)
  for (int i = 0; i < 1000 && waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT), -1) << "child " << child.si_pid << " left";
  EXPECT_EQ(testsupport::readFile(record), "https://example.org/norvik?a=1&b=\xC3\xA9\n/dev/null\nsession\n");
}

}  // namespace
