#include "app/CommandOutcome.h"

#include <cstdio>
#include <utility>

#include "app/ProgressLine.h"

void CommandOutcome::Fail(ExitStatus status, const std::string& reason) {
  ProgressLine::End();
  std::fprintf(stderr, "docketeer: %s\n", reason.c_str());
  if (status_ == kExitDone)
    status_ = status;
}

void CommandOutcome::FailLater(ExitStatus status, const std::string& reason) {
  if (laterReason_.empty())
    laterReason_ = reason;
  if (status_ == kExitDone)
    status_ = status;
}

std::string CommandOutcome::TakeLaterReason() {
  return std::exchange(laterReason_, std::string());
}

void CommandOutcome::Warn(const std::string& text) {
  ProgressLine::End();
  std::fprintf(stderr, "docketeer: warning: %s\n", text.c_str());
}

std::string CommandOutcome::TakeWriteFailure() {
  writeFailureStatus_ = kExitWrite;
  return std::exchange(writeFailure_, std::string());
}
