#pragma once

// What every fuzz target shares: a throw-away folder for the targets that touch files
// (in $TMPDIR, which fuzz/run.sh points into memory, since the writers sync every file
// they replace), and the way a target reports a property it found violated.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fuzzsupport {

inline const std::filesystem::path& Scratch() {
  static const std::filesystem::path folder = [] {
    const auto candidate = std::filesystem::temp_directory_path() / ("norvik-fuzz-" + std::to_string(std::random_device()()));
    if (!std::filesystem::create_directory(candidate)) std::abort();  // not ours: never shared
    return candidate;
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
