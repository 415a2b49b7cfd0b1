// The editor's recursive search as a process of its own, shaped like the reference it is
// timed against: `norvik-find ROOT` prints every "*Prefs.cs" file below the host folder
// ROOT, one path a line, as `find ROOT -name '*Prefs.cs'` does.

#include <cstdio>
#include <string>
#include <vector>

#include "fileservices/findfile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  std::vector<std::string> found;
  FindFileRecursive::FindFiles(folder, "*", "*Prefs.cs", found);
  for (const std::string& path : found) {
    std::fwrite(path.data(), 1, path.size(), stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}
