#pragma once

#include <atomic>
#include <string>

class ArchiveIndex;

// Brings the archive's index up to date for a command, showing progress on
// a terminal. While another Docketeer writes the index it waits, up to
// `waitSeconds` (longer while no index has been built at all). Returns why
// the index may be out of date, empty when it is current.
std::string UpdateIndexForCommand(ArchiveIndex& index, int waitSeconds,
                                  const std::atomic<bool>* stop = nullptr);
