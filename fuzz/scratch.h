#pragma once

// A throw-away folder for the targets that touch files: in $TMPDIR when it is set
// (fuzz/run.sh sets it and removes it afterwards), else on a memory file system when
// there is one, as the writers sync every file they replace. libFuzzer ends without
// running exit handlers, so the folder is only removed when a run ends otherwise.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzsupport {

inline const std::filesystem::path& Scratch() {
  static const std::filesystem::path folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    const char* base = tmp && *tmp                                 ? tmp
                       : std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                  : "/tmp";
    std::string pattern = std::string(base) + "/norvik-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Scratch(), ec);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

// Stops the run with a message libFuzzer shows beside the input that caused it.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace fuzzsupport
