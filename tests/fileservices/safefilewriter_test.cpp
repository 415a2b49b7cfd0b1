#include "fileservices/safefilewriter.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>

#include "fileservices/replacefile.h"
#include "fileservices/settingsfile.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using fileservices_internal::testing::SetFaultHook;
using fileservices_internal::testing::Step;

constexpr const char* kOld = "old line;\r\nsecond;\r\n";

class SafeWriter : public ::testing::Test {
 protected:
  void SetUp() override { file_ = dir_.writeFile("game/xPrefs.cs", kOld); }
  void TearDown() override { SetFaultHook(nullptr); }

  // Every line is offered, also after one failed: the commit alone tells whether it saved.
  bool Save(const std::vector<std::string>& lines, const fs::path& target) const {
    FileMisc::SafeFileWriter writer(testsupport::ProgramPath(target));
    for (const auto& line : lines) (void)writer.WriteLine(line);
    return writer.Commit();
  }
  bool Save(const std::vector<std::string>& lines) const { return Save(lines, file_); }
  // Nothing but the target in its folder: no temporary file is left behind.
  long Entries() const { return std::distance(fs::directory_iterator(file_.parent_path()), fs::directory_iterator()); }

  testsupport::TempDir dir_;
  fs::path file_;
};

TEST_F(SafeWriter, writesEachLineWithCrLf_keepsTheMode_aLinkStaysALink) {
  const std::string big(300 * 1024, 'b');  // more than the writer holds back at once
  EXPECT_TRUE(Save({"a = 1;", "", "b\x80;", big, "end"}));
  EXPECT_TRUE(testsupport::readFile(file_) == "a = 1;\r\n\r\nb\x80;\r\n" + big + "\r\nend\r\n");
  EXPECT_EQ(Entries(), 1);
#ifndef _WIN32
  chmod(file_.c_str(), 0640);
  EXPECT_TRUE(Save({}));
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms(0640));
  const fs::path link = dir_.path() / "linkPrefs.cs";
  fs::create_symlink(file_, link);
  EXPECT_TRUE(Save({}, link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::file_size(file_), 0u);
#endif
}

// Guards against a save that fails (or never commits) leaving a temporary file, or
// anything but the old bytes; against root writing over a file the user made read-only
// (or, on Windows, hidden or system); and against a save creating a file that was not there.
TEST_F(SafeWriter, anythingThatFails_leavesTheOldFileAlone) {
#ifdef _WIN32
  const auto mark = [this](unsigned attributes) { SetFileAttributesW(file_.c_str(), attributes); };
  const unsigned readOnly = FILE_ATTRIBUTE_READONLY, unmarked = FILE_ATTRIBUTE_NORMAL;
#else
  const auto mark = [this](unsigned mode) { chmod(file_.c_str(), mode); };
  const unsigned readOnly = 0444, unmarked = 0644;
#endif
  const auto savedWhileMarked = [&](unsigned marks) {
    mark(marks);
    const bool saved = Save({"x"});
    mark(unmarked);
    return saved;
  };
  const std::function<bool()> failures[] = {
      [&] { SetFaultHook([](Step s) { return s == Step::Write ? ENOSPC : 0; }); return Save({"new;", std::string(1 << 20, 'x')}) || Save(std::vector<std::string>(1 << 13, std::string(63, 'x'))); },
      [&] { SetFaultHook([](Step s) { return s == Step::Rename ? EIO : 0; }); FileMisc::WriteIniValue("s", "k", "v", testsupport::ProgramPath(file_)); return Save({"new;"}); },
      [&] { return savedWhileMarked(readOnly); },
#ifdef _WIN32
      [&] { return savedWhileMarked(FILE_ATTRIBUTE_HIDDEN); }, [&] { return savedWhileMarked(FILE_ATTRIBUTE_SYSTEM); },
#endif
      [&] { FileMisc::SafeFileWriter writer(testsupport::ProgramPath(file_)); return !writer.WriteLine("uncommitted;"); },
      [&] { return Save({"x"}, dir_.path() / "game/missing.cs") || fs::exists(dir_.path() / "game/missing.cs"); },
      [&] { return Save({"x"}, dir_.path() / "game") || FileMisc::SafeFileWriter("game\\xPrefs.cs").ok(); },
  };
  for (const auto& fail : failures) {
    EXPECT_FALSE(fail());
    SetFaultHook(nullptr);
    EXPECT_EQ(testsupport::readFile(file_), kOld);
    EXPECT_EQ(Entries(), 1);
  }
#ifndef _WIN32
  // Guards against an interrupted write being taken as a failed save.
  int calls = 0;
  SetFaultHook([&calls](Step step) { return step == Step::Write && calls++ % 2 == 0 ? EINTR : 0; });
  EXPECT_TRUE(Save({"x;", "y;"}));
  EXPECT_EQ(testsupport::readFile(file_), "x;\r\ny;\r\n");
#endif
}

#ifndef _WIN32
// Guards against the file size limit's signal ending the program in the middle of a save.
TEST_F(SafeWriter, fileSizeLimit_failsCleanly) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = Save({std::string(1 << 20, 'x')});
    sigset_t blocked;  // the signal is blocked only while the file is written
    pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
    _exit(saved || sigismember(&blocked, SIGXFSZ) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(testsupport::readFile(file_), kOld);
  EXPECT_EQ(Entries(), 1);
}
#endif

}  // namespace
