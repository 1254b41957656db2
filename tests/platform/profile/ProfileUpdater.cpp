// A process of its own that updates one profile file many times, for the
// test of two processes updating the same file at once.
// Usage: profile_updater <file> <key prefix> <count> <start file>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/profile/ProfileFile.h"

int main(int argc, char** argv) {
  if (argc != 5)
    return 2;
  const std::string path = argv[1];
  const std::string prefix = argv[2];
  const int count = std::atoi(argv[3]);
  // Both processes start updating together once the test creates this file.
  for (int wait = 0; ::access(argv[4], F_OK) != 0; ++wait) {
    if (wait == 30000)
      return 3;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (int i = 0; i < count; ++i) {
    const ProfileFile file(path);
    if (!file.WriteStrings("Settings", {{prefix + std::to_string(i), "1"},
                                        {prefix + "Count", std::to_string(i + 1)}})) {
      return 4;
    }
  }
  return 0;
}
