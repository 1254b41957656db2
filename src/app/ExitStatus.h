#pragma once

#include <span>

// The exit statuses of the commands, for scripts to tell failures apart.
enum ExitStatus : int {
  kExitDone = 0,       // done; a warning (a PDF without text) may be on standard error
  kExitUsage = 1,      // bad usage; one line and a pointer to the command's help
  kExitScanner = 2,    // no scanner, a jam, a scanner error
  kExitWrite = 3,      // a file could not be written; the reason follows
  kExitCancelled = 4,  // cancelled at the scanner, at the prompt or by a signal
  kExitInput = 5,      // a file to read could not be read or is not an image
};

// What each status means, in the words of the help and the manual page.
struct ExitStatusMeaning {
  ExitStatus status;
  const char* meaning;
};

std::span<const ExitStatusMeaning> ExitStatusMeanings();
