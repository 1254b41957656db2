#pragma once

#include <string>

#include "app/ExitStatus.h"

// How a command is going: the first failure sets the exit status, and every
// failure is told on standard error as "docketeer: <reason>".
class CommandOutcome {
 public:
  void Fail(ExitStatus status, const std::string& reason);
  ExitStatus Status() const { return status_; }
  bool Failed() const { return status_ != kExitDone; }

  // The writer's own words for the last failed write, told in place of the
  // general message about saving that follows it.
  void SetWriteFailure(const std::string& reason) { writeFailure_ = reason; }
  std::string TakeWriteFailure();

 private:
  ExitStatus status_ = kExitDone;
  std::string writeFailure_;
};
