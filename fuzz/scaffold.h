#pragma once

// What every fuzz target shares: a throw-away folder for the targets that touch files
// (in $TMPDIR when set, as fuzz/run.sh does, else in memory where there is room, since
// the writers sync every file they replace, else in the system's temporary folder), and
// the way a target reports a property it found violated.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fuzzsupport {

inline const std::filesystem::path& Scratch() {
  namespace fs = std::filesystem;
  static const fs::path folder = [] {
    fs::path base = fs::temp_directory_path();  // $TMPDIR first
#ifndef _WIN32
    if (!std::getenv("TMPDIR") && fs::is_directory("/dev/shm")) base = "/dev/shm";
#endif
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate = base / ("norvik-fuzz-" + std::to_string(random()));
      if (fs::create_directory(candidate)) return candidate;
    }
    std::abort();
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
