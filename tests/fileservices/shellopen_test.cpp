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

class ShellOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* path = std::getenv("PATH")) savedPath_ = path;
    record_ = dir_.path() / "argv.txt";
  }
  void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }

  // An opener that writes its arguments, one a line, to record_.
  void InstallOpener() const {
    const fs::path script = dir_.writeFile(
        "bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record_.string() + ".tmp'\n/bin/mv '" +
                            record_.string() + ".tmp' '" + record_.string() + "'\n");
    chmod(script.c_str(), 0755);
  }
  std::string Recorded() const {
    for (int i = 0; i < 500 && !fs::exists(record_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return testsupport::readFile(record_);
  }
  static void ExpectNoChildLeft() {
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }

  testsupport::TempDir dir_;
  fs::path record_;
  std::string savedPath_;
};

TEST_F(ShellOpen, runsTheOpenerWithTheAddress_leavesNoZombie) {
  InstallOpener();
  setenv("PATH", ("relative:" + (dir_.path() / "bin").string()).c_str(), 1);
  FileMisc::OpenWithShell(0, "https://example.org/norvik?a=1&b=\xE9");
  ExpectNoChildLeft();
  EXPECT_EQ(Recorded(), "https://example.org/norvik?a=1&b=\xC3\xA9\n");
}

TEST_F(ShellOpen, nothingToRunOrNothingToOpen_isSilent) {
  setenv("PATH", (dir_.path() / "bin").c_str(), 1);
  FileMisc::OpenWithShell(0, "https://example.org/");
  ExpectNoChildLeft();
  InstallOpener();
  FileMisc::OpenWithShell(0, "--version");  // would be taken as an option
  FileMisc::OpenWithShell(0, "");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(record_));
}

}  // namespace
