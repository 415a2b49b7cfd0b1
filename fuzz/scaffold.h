#pragma once

// What every fuzz target shares: a throw-away folder for the targets that touch files
// (in $TMPDIR when set, as fuzz/run.sh does, else in memory where there is room, since
// the writers sync every file they replace), and the way a target reports a property
// it found violated.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fuzzsupport {

inline const std::filesystem::path& Scratch() {
  static const std::filesystem::path folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    const char* base = tmp && *tmp ? tmp : std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/norvik-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return std::filesystem::path(pattern);
  }();
  return folder;
}

inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Stops the run with a message libFuzzer shows beside the input that caused it.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace fuzzsupport
