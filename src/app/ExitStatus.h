#pragma once

// The exit statuses of the commands, for scripts to tell failures apart.
enum ExitStatus : int {
  kExitDone = 0,
  kExitUsage = 1,      // bad usage; the usage text follows the message
  kExitScanner = 2,    // no scanner, a jam, a scanner error
  kExitWrite = 3,      // a file could not be written; the reason follows
  kExitCancelled = 4,  // cancelled at the scanner, at the prompt or by a signal
};
