#include "fileservices/shellopen.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

// An opener on a PATH of its own writes its arguments, one a line; the PATH also holds a
// relative entry, which is never searched. Targets that are empty or read like an option
// are not handed on.
TEST(ShellOpen, runsTheOpenerWithTheAddress_noZombie_silentWhenThereIsNone) {
  testsupport::TempDir dir;
  const fs::path record = dir.path() / "argv.txt", bin = dir.path() / "bin";
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", ("relative:" + bin.string()).c_str(), 1);
  FileMisc::OpenWithShell(0, "https://example.org/");  // no opener yet
  chmod(dir.writeFile("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.string() + ".tmp'\n/bin/mv '" +
                                          record.string() + ".tmp' '" + record.string() + "'\n")
            .c_str(), 0755);
  for (const char* ignored : {"", "--version"}) FileMisc::OpenWithShell(0, ignored);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(record));
  FileMisc::OpenWithShell(0, "https://example.org/norvik?a=1&b=\xE9");
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  for (int i = 0; i < 500 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testsupport::readFile(record), "https://example.org/norvik?a=1&b=\xC3\xA9\n");
}

}  // namespace
