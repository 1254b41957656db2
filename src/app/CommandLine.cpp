#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "core/Version.h"

std::optional<int> RunCommandLineOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
      std::printf("Docketeer %s\n", kVersionText);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "Usage: docketeer [--version] [--help]\n"
          "Scans paper documents into a folder archive.\n");
      return 0;
    }
  }
  return std::nullopt;
}
