#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "fileservices/replacefile.h"
#include "fileservices/safefilewriter.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FileMisc::SafeFileWriter;
using fileservices_internal::testing::SetFaultHook;
using fileservices_internal::testing::Step;

class SafeWriter : public ::testing::Test {
 protected:
  void SetUp() override { file_ = dir_.writeFile("game/xPrefs.cs", kOld); }
  void TearDown() override { SetFaultHook(nullptr); }

  bool Save(const std::vector<std::string>& lines) const {
    SafeFileWriter writer(file_.string());
    for (const auto& line : lines)
      if (!writer.WriteLine(line)) return false;
    return writer.Commit();
  }
  // The old file untouched and no temporary file left beside it.
  void ExpectUnchanged() const {
    EXPECT_EQ(testsupport::readFile(file_), kOld);
    EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), fs::directory_iterator()),
              1);
  }

  static constexpr const char* kOld = "old line;\r\nsecond;\r\n";
  testsupport::TempDir dir_;
  fs::path file_;
};

TEST_F(SafeWriter, writesLinesWithCrLf_keepsMode) {
  chmod(file_.c_str(), 0640);
  EXPECT_TRUE(Save({"a = 1;", "", "b\x80;"}));
  EXPECT_EQ(testsupport::readFile(file_), "a = 1;\r\n\r\nb\x80;\r\n");
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms(0640));
  EXPECT_TRUE(Save({}));
  EXPECT_EQ(fs::file_size(file_), 0u);
}

TEST_F(SafeWriter, symlinkStaysLink_pointedFileReplaced) {
  const fs::path link = dir_.path() / "linkPrefs.cs";
  fs::create_symlink(file_, link);
  SafeFileWriter writer(link.string());
  ASSERT_TRUE(writer.WriteLine("new;"));
  ASSERT_TRUE(writer.Commit());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(testsupport::readFile(file_), "new;\r\n");
}

// Guards against root silently overwriting a file the user marked read-only.
TEST_F(SafeWriter, readOnlyMissingOrFolderTarget_refused) {
  chmod(file_.c_str(), 0444);
  EXPECT_FALSE(SafeFileWriter(file_.string()).ok());
  EXPECT_FALSE(Save({"x"}));
  chmod(file_.c_str(), 0644);
  ExpectUnchanged();
  EXPECT_FALSE(SafeFileWriter((dir_.path() / "game/missing.cs").string()).ok());
  EXPECT_FALSE(SafeFileWriter((dir_.path() / "game").string()).ok());
  EXPECT_FALSE(SafeFileWriter("game\\xPrefs.cs").ok());
  EXPECT_FALSE(fs::exists(dir_.path() / "game/missing.cs"));
}

TEST_F(SafeWriter, failedWriteOrRename_leavesOldFileAndNoTemp) {
  for (const Step failing : {Step::Write, Step::Rename}) {
    SetFaultHook([failing](Step step) { return step == failing ? ENOSPC : 0; });
    EXPECT_FALSE(Save({"new;", std::string(1 << 20, 'x')}));
    ExpectUnchanged();
  }
}

// Guards against an interrupted write being taken as a failed save.
TEST_F(SafeWriter, interruptedWrites_areRetried) {
  int calls = 0;
  SetFaultHook([&calls](Step step) { return step == Step::Write && calls++ % 2 == 0 ? EINTR : 0; });
  EXPECT_TRUE(Save({"x;", "y;"}));
  EXPECT_EQ(testsupport::readFile(file_), "x;\r\ny;\r\n");
}

TEST_F(SafeWriter, destroyedWithoutCommit_leavesOldFile) {
  {
    SafeFileWriter writer(file_.string());
    ASSERT_TRUE(writer.ok());
    writer.WriteLine("never committed;");
  }
  ExpectUnchanged();
}

// Guards against the file size limit signal ending the program in the middle of a save.
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
