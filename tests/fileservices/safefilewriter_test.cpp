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
#ifdef _WIN32
  // Guards against a temporary file the player sees, and a saved file that comes out hidden.
  bool hidden = false;
  SetFaultHook([&](Step s) { for (const auto& e : fs::directory_iterator(file_.parent_path())) hidden |= s == Step::Rename && e.path() != file_ && (GetFileAttributesW(e.path().c_str()) & FILE_ATTRIBUTE_HIDDEN); return 0; });
  EXPECT_TRUE(Save({}) && hidden);
  EXPECT_EQ(GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
#else
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
  const std::function<bool()> failures[] = {
      [&] { SetFaultHook([](Step s) { return s == Step::Write ? ENOSPC : 0; }); return Save({"new;", std::string(1 << 20, 'x')}) || Save(std::vector<std::string>(1 << 13, std::string(63, 'x'))) || Save({"new;"}); },
      [&] { SetFaultHook([](Step s) { return s == Step::Rename ? EIO : 0; }); FileMisc::WriteIniValue("s", "k", "v", file_.native()); return Save({"new;"}); },
      [&] { mark(readOnly); return Save({"x"}); },
#ifdef _WIN32
      [&] { mark(FILE_ATTRIBUTE_HIDDEN); return Save({"x"}); }, [&] { mark(FILE_ATTRIBUTE_SYSTEM); return Save({"x"}); },
#endif
      [&] { FileMisc::SafeFileWriter writer(testsupport::ProgramPath(file_)); return !writer.WriteLine("uncommitted;"); },
      [&] { return Save({"x"}, dir_.path() / "game/missing.cs") || fs::exists(dir_.path() / "game/missing.cs"); },
      [&] { return Save({"x"}, dir_.path() / "game") || FileMisc::SafeFileWriter("game\\xPrefs.cs").ok(); },
  };
  for (const auto& fail : failures) {
    EXPECT_FALSE(fail());
    SetFaultHook(nullptr);
    mark(unmarked);
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

// Guards against the temporary files of killed saves staying for good, and against a sweep
// that takes anything else: a live writer's file, a look-alike, a folder, a link, a pipe.
TEST_F(SafeWriter, aSave_sweepsOnlyTheStaleTemporaryFilesOfItsTarget) {
  const std::string stale[] = {".xPrefs.cs.0.tmp", ".xPrefs.cs.1000000006.tmp"};
  std::vector<std::string> alike = {".xPrefs.cs.1000000007.tmp", ".xPrefs.cs.01.tmp", ".xPrefs.cs.1x.tmp", ".xPrefs.cs..tmp", ".xPrefs.cs.-1.tmp", ".xPrefs.cs. 1.tmp",
                                    ".xPrefs.cs.1.tmp.bak", ".xPrefs.cs1.tmp", "xPrefs.cs.1.tmp", ".xprefs.cs.1.tmp", ".xPrefs.cs.1.TMP", ".yPrefs.cs.1.tmp", ".norvik.1.tmp", "sub/.xPrefs.cs.1.tmp"};
  for (const auto& name : stale) dir_.writeFile("game/" + name, "x");
  for (const auto& name : alike) dir_.writeFile("game/" + name, "x");
  fs::create_directory(file_.parent_path() / alike.emplace_back(".xPrefs.cs.2.tmp"));
#ifndef _WIN32
  fs::create_symlink("xPrefs.cs", file_.parent_path() / alike.emplace_back(".xPrefs.cs.3.tmp"));
  mkfifo((file_.parent_path() / alike.emplace_back(".xPrefs.cs.4.tmp")).c_str(), 0644);
  // Guards against a sweep between a writer's creating its file and locking it.
  int sweeps = 0;
  SetFaultHook([&](Step s) { if (s == Step::Lock && sweeps++ == 0) { EXPECT_TRUE(Save({"swept;"})); } return 0; });
  EXPECT_TRUE(Save({"locked late;"}));
  EXPECT_EQ(testsupport::readFile(file_), "locked late;\r\n");
#endif
  FileMisc::SafeFileWriter live(testsupport::ProgramPath(file_));
  EXPECT_TRUE(live.WriteLine("live;") && Save({"swept;"}) && live.Commit());
  EXPECT_EQ(testsupport::readFile(file_), "live;\r\n");
  // Guards against a second copy's sweep taking a live save's file just before it goes into place.
  int second = 0;
  SetFaultHook([&](Step s) { if (s == Step::Rename && second++ == 0) { EXPECT_TRUE(Save({"second;"})); } return 0; });
  EXPECT_TRUE(Save({"first;"}) && testsupport::readFile(file_) == "first;\r\n");
  for (const auto& name : stale) EXPECT_FALSE(fs::exists(file_.parent_path() / name)) << name;
  for (const auto& name : alike) EXPECT_TRUE(fs::exists(fs::symlink_status(file_.parent_path() / name))) << name;
  // Guards against two long names sharing the names of their temporary files.
  const fs::path longA = dir_.writeFile("game/" + std::string(230, 'a'), "x"), longB = dir_.writeFile("game/" + std::string(230, 'b'), "x");
  const fs::path staleOfB = dir_.writeFile("game/" + fs::path(fileservices_internal::TempName(longB.filename().native(), 5)).string(), "x");
  EXPECT_TRUE(Save({"a"}, longA) && fs::exists(staleOfB) && Save({"b"}, longB) && !fs::exists(staleOfB));
}

#ifndef _WIN32
// Guards against the file size limit's signal ending the program in the middle of a save,
// and against a save killed part way leaving its temporary file for good.
TEST_F(SafeWriter, overTheSizeLimit_failsCleanly_killedPartWay_leavesNothingOnceSavedAgain) {
  const std::pair<std::function<int()>, int> children[] = {  // what each does, and its end
      {[this] {
         const rlimit limit{64 * 1024, 64 * 1024};
         setrlimit(RLIMIT_FSIZE, &limit);
         const bool saved = Save({std::string(1 << 20, 'x')});
         sigset_t blocked;  // the signal is blocked only while the file is written
         pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
         return saved || sigismember(&blocked, SIGXFSZ) ? 1 : 0;
       }, 0},
      {[this] { int writes = 0; SetFaultHook([&](Step s) { return s == Step::Write && ++writes == 3 ? raise(SIGKILL) : 0; }); return Save(std::vector<std::string>(4, std::string(300 << 10, 'x'))) ? 1 : 2; }, SIGKILL},
  };
  for (const auto& [run, end] : children) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(run());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status), end);
    EXPECT_TRUE(testsupport::readFile(file_) == kOld && Entries() == (end ? 2 : 1));
  }
  // Guards against a crash after the bytes are on disk bringing the file back with the
  // temporary file's mode.
  chmod(file_.c_str(), 0640);
  if (fork() == 0) SetFaultHook([](Step s) { return s == Step::Sync ? raise(SIGKILL) : 0; }), _exit(Save({"x;"}));
  wait(nullptr);
  for (const auto& e : fs::directory_iterator(file_.parent_path())) EXPECT_EQ(fs::status(e).permissions(), fs::perms(0640));
  EXPECT_TRUE(Save({"x;"}) && testsupport::readFile(file_) == "x;\r\n" && Entries() == 1);
}
#endif

}  // namespace
