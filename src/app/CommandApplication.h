#pragma once

#include <QCoreApplication>
#include <memory>

// What every command runs in: an application object without widgets (no
// display needed) unless the process has one already, the settings location
// of the window, and the debug log. The log's lines, and the libraries' own
// Qt messages (the scanner manager's among them), go to the log file only, so
// the command's own messages stay readable, unless --verbose asks for them.
class CommandApplication {
 public:
  // --verbose: every line of the log on standard error as well.
  static void SetVerbose(bool verbose);

  CommandApplication();
  ~CommandApplication();
  CommandApplication(const CommandApplication&) = delete;
  CommandApplication& operator=(const CommandApplication&) = delete;

  // False when the debug log could not be opened (already told on standard error).
  bool IsReady() const { return ready_; }

 private:
  int argc_ = 1;
  char programName_[10] = "docketeer";
  char* argv_[2] = {programName_, nullptr};
  std::unique_ptr<QCoreApplication> application_;
  QtMessageHandler previousHandler_ = nullptr;
  bool ready_ = false;
};
