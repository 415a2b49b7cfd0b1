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
  // Fully buffered whatever stdout is: under Wine the C runtime would otherwise write a pipe
  // or file one byte at a time, each byte a round trip to Wine's server.
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  std::string folder = argv[1];
  std::vector<std::string> found;
  FindFileRecursive::FindFiles(folder, "*", "*Prefs.cs", found);
  for (const std::string& path : found) {
    std::fwrite(path.data(), 1, path.size(), stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}
