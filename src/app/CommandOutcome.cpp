#include "app/CommandOutcome.h"

#include <cstdio>
#include <utility>

void CommandOutcome::Fail(ExitStatus status, const std::string& reason) {
  std::fprintf(stderr, "docketeer: %s\n", reason.c_str());
  if (status_ == kExitDone)
    status_ = status;
}

std::string CommandOutcome::TakeWriteFailure() {
  return std::exchange(writeFailure_, std::string());
}
