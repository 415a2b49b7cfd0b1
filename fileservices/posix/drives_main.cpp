// Prints the places where the editor looks for each drive's root, in its order, and which
// of them hold a given file, looked up below each place as the editor looks up a path on a
// drive. scripts/run.sh reads it to decide whether the sample game is needed. Built beside the editor (so that the
// program's folder, the first place, is the editor's); not installed.
//
//   norvik-drives RELATIVE_PATH [FOLDER...]
//
// One line per place: the drive letter, then "game" (a folder holding RELATIVE_PATH),
// "folder" (one that does not) or "none" (no folder), then the place. Given FOLDERs, the
// same for each of them alone, with "-" for the letter.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "fileservices/codepage.h"
#include "fileservices/hostpath.h"

namespace {

void PrintPlace(char letter, const std::string& place, const char* relative) {
  struct stat st;
  const bool folder = stat(place.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  // The place is a host name (a home named in letters the code page lacks, too).
  const std::string file = hostpath::ToHostPathBelow(place, relative);
  const bool game = stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  std::printf("%c %s %s\n", letter, game ? "game" : folder ? "folder" : "none", place.c_str());
}

}  // namespace

int main(int argc, char* argv[]) {
  codepage::UseSystemCodePage();
  if (argc < 2) {
    std::fprintf(stderr, "usage: norvik-drives RELATIVE_PATH [FOLDER...] (a\\b\\file, as on a drive)\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) PrintPlace('-', argv[i], argv[1]);
  for (char letter = 'a'; letter <= 'z' && argc == 2; ++letter) {
    for (const std::string& place : hostpath::DriveRootCandidates(letter)) PrintPlace(letter, place, argv[1]);
  }
  return 0;
}
