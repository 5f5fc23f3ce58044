// Runs a fuzz target once over each file named (folders: each file in them), without
// libFuzzer: to replay a crasher under a debugger or in a plain build.
//
//   <target>_replay FILE|FOLDER...

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE|FOLDER...\n", argv[0]);
    return 2;
  }
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    if (std::filesystem::is_directory(argv[i], error)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
        if (!entry.is_regular_file()) continue;
        if (!Replay(entry.path())) return 1;
        ++replayed;
      }
    } else {
      if (!Replay(argv[i])) return 1;
      ++replayed;
    }
  }
  std::printf("replay: %d inputs\n", replayed);
  return 0;
}
