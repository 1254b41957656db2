// The main of a fuzz target where libFuzzer is not at hand (gcc builds): runs
// the target over every file of the folders and files given, then over
// seeded mutations of them for the seconds given, so the target keeps
// building and keeps passing its corpus in every build.
//   <target> [--seconds=N] PATH...
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Input = std::vector<std::uint8_t>;

void Run(const Input& input) {
  // A copy of exactly the input's size, so a read past its end is caught.
  const Input copy(input);
  LLVMFuzzerTestOneInput(copy.data(), copy.size());
}

Input ReadInput(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Input(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Collect(const std::filesystem::path& path, std::vector<Input>& corpus) {
  if (std::filesystem::is_directory(path)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
      if (entry.is_regular_file())
        corpus.push_back(ReadInput(entry.path()));
  } else if (std::filesystem::is_regular_file(path)) {
    corpus.push_back(ReadInput(path));
  } else {
    std::fprintf(stderr, "no such corpus: %s\n", path.c_str());
  }
}

// Flips, overwrites, cuts or repeats a few bytes, as a fuzzer's first steps do.
Input Mutate(Input input, std::mt19937& random) {
  const int steps = 1 + int(random() % 4);
  for (int step = 0; step < steps; ++step) {
    if (input.empty()) {
      input.push_back(std::uint8_t(random()));
      continue;
    }
    const std::size_t at = random() % input.size();
    switch (random() % 4) {
      case 0:
        input[at] ^= std::uint8_t(1u << (random() % 8));
        break;
      case 1:
        input[at] = std::uint8_t(random());
        break;
      case 2:
        input.resize(at);
        break;
      default:
        input.insert(input.begin() + std::ptrdiff_t(at), input.begin(),
                     input.begin() + std::ptrdiff_t(std::min<std::size_t>(at, 64)));
        break;
    }
  }
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0;
  std::vector<Input> corpus;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.starts_with("--seconds="))
      seconds = std::stod(std::string(argument.substr(10)));
    else
      Collect(argv[i], corpus);
  }
  if (corpus.empty()) {
    std::fputs("usage: fuzz-target [--seconds=N] CORPUS...\n", stderr);
    return 2;
  }
  for (const Input& input : corpus)
    Run(input);
  std::mt19937 random(20261208);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long runs = 0;
  while (std::chrono::steady_clock::now() < end) {
    Run(Mutate(corpus[random() % corpus.size()], random));
    ++runs;
  }
  std::printf("%zu corpus inputs and %ld mutations passed\n", corpus.size(), runs);
  return 0;
}
