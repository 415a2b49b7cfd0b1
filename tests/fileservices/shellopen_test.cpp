#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "fileservices/shellopen.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

class ShellOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* path = std::getenv("PATH")) savedPath_ = path;
    bin_ = dir_.makeDir("bin");
    record_ = dir_.path() / "argv.txt";
  }
  void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }

  void InstallFakeOpener() const {
    const fs::path script =
        dir_.writeFile("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record_.string() +
                                           ".tmp'\n"
                                           "/bin/mv '" +
                                           record_.string() + ".tmp' '" + record_.string() + "'\n");
    chmod(script.c_str(), 0755);
  }
  static void ExpectNoChildLeft() {
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }

  testsupport::TempDir dir_;
  fs::path bin_, record_;
  std::string savedPath_;
};

TEST_F(ShellOpen, runsOpenerWithTheAddress_leavesNoZombie) {
  InstallFakeOpener();
  setenv("PATH", ("relative:" + bin_.string()).c_str(), 1);
  FileMisc::OpenWithShell(0, "https://example.org/norvik?a=1&b=\xE9");
  ExpectNoChildLeft();
  for (int i = 0; i < 500 && !fs::exists(record_); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testsupport::readFile(record_), "https://example.org/norvik?a=1&b=\xC3\xA9\n");
}

TEST_F(ShellOpen, noOpenerOnPath_isSilent) {
  setenv("PATH", bin_.c_str(), 1);
  FileMisc::OpenWithShell(0, "https://example.org/");
  ExpectNoChildLeft();
  InstallFakeOpener();
  FileMisc::OpenWithShell(0, "--version");  // would be taken as an option
  FileMisc::OpenWithShell(0, "");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(record_));
}

}  // namespace
