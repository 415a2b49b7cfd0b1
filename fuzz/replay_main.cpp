// Runs a fuzz target once over every file in the folders named on its command line, as
// libFuzzer runs its seeds: the targets' corpora (seeds and past findings) become tests
// of the normal build, with the same properties checked.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "scaffold.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[i])) {
      const std::string bytes = fuzzsupport::ReadFile(entry.path());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++inputs;
    }
  }
  fs::remove_all(fuzzsupport::Scratch());
  std::printf("%d inputs, every property held\n", inputs);
  return inputs > 0 ? 0 : 1;
}
