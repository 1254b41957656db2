#pragma once

#include <optional>

// Runs what the command line asks for without the window: "--version",
// "--help" or a command ("scan", "next-name", "combine", "convert",
// "sources", "search", "pages", "join"). Returns the exit status, or nothing
// when the window should open.
std::optional<int> RunCommandLine(int argc, char** argv);
