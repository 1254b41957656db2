#include "app/ExitStatus.h"

namespace {

// The help (CommandUsage.cpp) and the manual page say the same; a test holds them to it.
constexpr ExitStatusMeaning kMeanings[] = {
    {kExitDone, "done"},
    {kExitUsage, "bad usage"},
    {kExitScanner, "scanner failure"},
    {kExitWrite, "a file could not be written"},
    {kExitCancelled, "cancelled"},
    {kExitInput, "a file could not be read or is not an image"},
};

}  // namespace

std::span<const ExitStatusMeaning> ExitStatusMeanings() {
  return kMeanings;
}
