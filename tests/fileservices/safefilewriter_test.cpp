#include "fileservices/safefilewriter.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "fileservices/replacefile.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FileMisc::SafeFileWriter;
using fileservices_internal::testing::SetFaultHook;
using fileservices_internal::testing::Step;

constexpr const char* kOld = "old line;\r\nsecond;\r\n";

class SafeWriter : public ::testing::Test {
 protected:
  void SetUp() override { file_ = dir_.writeFile("game/xPrefs.cs", kOld); }
  void TearDown() override { SetFaultHook(nullptr); }

  bool Save(const std::vector<std::string>& lines, const fs::path& target) const {
    SafeFileWriter writer(testsupport::ProgramPath(target));
    for (const auto& line : lines)
      if (!writer.WriteLine(line)) return false;
    return writer.Commit();
  }
  bool Save(const std::vector<std::string>& lines) const { return Save(lines, file_); }
  // The old file untouched and no temporary file left beside it.
  void ExpectUnchanged() const {
    EXPECT_EQ(testsupport::readFile(file_), kOld);
    EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), fs::directory_iterator()), 1);
  }

  testsupport::TempDir dir_;
  fs::path file_;
};

TEST_F(SafeWriter, writesEachLineWithCrLf_keepsTheMode) {
  chmod(file_.c_str(), 0640);
  const std::string big(300 * 1024, 'b');  // more than the writer buffers at once
  EXPECT_TRUE(Save({"a = 1;", "", "b\x80;", big, "end"}));
  EXPECT_TRUE(testsupport::readFile(file_) == "a = 1;\r\n\r\nb\x80;\r\n" + big + "\r\nend\r\n");
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms(0640));
  EXPECT_TRUE(Save({}));
  EXPECT_EQ(fs::file_size(file_), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(SafeWriter, symbolicLinkStaysALink_theFileItNamesIsReplaced) {
  const fs::path link = dir_.path() / "linkPrefs.cs";
  fs::create_symlink(file_, link);
  EXPECT_TRUE(Save({"new;"}, link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(testsupport::readFile(file_), "new;\r\n");
}

// Guards against root silently overwriting a file the user marked read-only, and against
// a save creating a file that was not there.
TEST_F(SafeWriter, whatIsNoWritablePrefsFile_isRefusedUntouched) {
  chmod(file_.c_str(), 0444);
  EXPECT_FALSE(SafeFileWriter(testsupport::ProgramPath(file_)).ok());
  EXPECT_FALSE(Save({"x"}));
  chmod(file_.c_str(), 0644);
  ExpectUnchanged();
  for (const fs::path& target : {dir_.path() / "game/missing.cs", dir_.path() / "game"})
    EXPECT_FALSE(Save({"x"}, target)) << target;
  EXPECT_FALSE(SafeFileWriter("game\\xPrefs.cs").ok());
  EXPECT_FALSE(fs::exists(dir_.path() / "game/missing.cs"));
}

TEST_F(SafeWriter, failedOrInterruptedWrites) {
  for (const Step failing : {Step::Write, Step::Rename}) {
    SetFaultHook([failing](Step step) { return step == failing ? ENOSPC : 0; });
    EXPECT_FALSE(Save({"new;", std::string(1 << 20, 'x')}));
    ExpectUnchanged();
  }
  // Guards against an interrupted write being taken as a failed save.
  int calls = 0;
  SetFaultHook([&calls](Step step) { return step == Step::Write && calls++ % 2 == 0 ? EINTR : 0; });
  EXPECT_TRUE(Save({"x;", "y;"}));
  EXPECT_EQ(testsupport::readFile(file_), "x;\r\ny;\r\n");
}

TEST_F(SafeWriter, destroyedWithoutCommit_leavesTheOldFile) {
  {
    SafeFileWriter writer(testsupport::ProgramPath(file_));
    ASSERT_TRUE(writer.ok());
    writer.WriteLine("never committed;");
  }
  ExpectUnchanged();
}

// Guards against the file size limit's signal ending the program in the middle of a save.
TEST_F(SafeWriter, fileSizeLimit_failsCleanly) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(Save({std::string(1 << 20, 'x')}) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ExpectUnchanged();
}

}  // namespace
