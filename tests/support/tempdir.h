#pragma once

// A throw-away folder per test, with helpers to lay out game folders in it.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return root_; }
  // Writes `bytes` to `relative` below the folder, creating the folders on the way.
  std::filesystem::path writeFile(std::string_view relative, std::string_view bytes) const;

 private:
  std::filesystem::path root_;
};

std::string readFile(const std::filesystem::path& path);

// A host path as the program names it (code-page text).
std::string ProgramPath(const std::filesystem::path& host);

// A name as a test writes it (UTF-8 where it is, else code-page bytes) as the host names
// it: on POSIX the bytes themselves, on Windows their UTF-16.
std::filesystem::path HostName(const std::string& name);


#ifdef _WIN32
// The character Windows reads `byte` of the code page `page` as (MultiByteToWideChar):
// nothing where it reads none, or only a private-use stand-in (for some undefined bytes).
std::optional<char16_t> SystemDecode(int page, unsigned char byte);
// Opens `file` without sharing it, as another program may: no other open, rename or delete
// of it succeeds while the result is kept.
std::shared_ptr<void> HoldWithoutSharing(const std::filesystem::path& file);
#else
// Runs `check` in a child process that has given up root (user and group 65534), so
// that permission bits count as they do for a user. The check's verdict; nothing when
// root cannot be given up. The folders the check uses must be open to other users.
std::optional<bool> runWithoutRoot(const std::function<bool()>& check);
#endif

// Points the executable folder at a throw-away folder and the drives at folders beside
// it (POSIX: through its dosdevices/ folder, keeping the user's own Wine prefix and
// configuration folder out of the way; Windows: in place of the real drives).
class DriveFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes a file on drive `letter` (made when missing) at `relative` (slashes).
  std::filesystem::path writeOnDrive(char letter, std::string_view relative, std::string_view bytes) const;

  TempDir dir_;
  std::filesystem::path exeFolder_;
};

}  // namespace testsupport
