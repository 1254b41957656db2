#pragma once

#include <optional>

// Options answered without opening a window ("--version", "--help"). Returns
// the exit status when the command line was such an option.
std::optional<int> RunCommandLineOption(int argc, char** argv);
