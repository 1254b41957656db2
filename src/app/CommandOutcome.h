#pragma once

#include <string>

#include "app/ExitStatus.h"

// How a command is going: the first failure sets the exit status, and every
// failure is told on standard error as "docketeer: <reason>".
class CommandOutcome {
 public:
  void Fail(ExitStatus status, const std::string& reason);
  // A failure told later, in one line with what it left behind (a scan that
  // stopped keeps its pages): sets the status now, keeps the reason.
  void FailLater(ExitStatus status, const std::string& reason);
  std::string TakeLaterReason();
  // Something the user should know about a result that is still good (a PDF
  // without text): "docketeer: warning: <text>", and the status stays.
  void Warn(const std::string& text);
  ExitStatus Status() const { return status_; }
  bool Failed() const { return status_ != kExitDone; }

  // The writer's own words for the last failed write, told in place of the
  // general message about saving that follows it, and the status they call for.
  void SetWriteFailure(const std::string& reason, ExitStatus status = kExitWrite) {
    writeFailure_ = reason;
    writeFailureStatus_ = status;
  }
  std::string TakeWriteFailure();
  // The status of the failure TakeWriteFailure() gives; read it first.
  ExitStatus WriteFailureStatus() const { return writeFailureStatus_; }

 private:
  ExitStatus status_ = kExitDone;
  std::string writeFailure_;
  ExitStatus writeFailureStatus_ = kExitWrite;
  std::string laterReason_;
};
