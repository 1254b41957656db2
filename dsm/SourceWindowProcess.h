#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The source's window for an application that has no widgets of its own: a
// small program of ours beside the library shows it, and the two talk in
// lines over pipes. The program says "shown" once, then "scan<TAB>source"
// or "cancel"; it is told "scanning N" and "ready". Its end (closed, killed)
// is a cancel.
class SourceWindowProcess {
 public:
  // `onAnswer` is called on a reader thread of this object's own.
  explicit SourceWindowProcess(std::function<void(const std::string&)> onAnswer);
  ~SourceWindowProcess();
  SourceWindowProcess(const SourceWindowProcess&) = delete;
  SourceWindowProcess& operator=(const SourceWindowProcess&) = delete;

  // Starts the window and waits until it is up; false when it cannot show
  // (no program beside the library, no display).
  bool Start(const std::string& productName, const std::string& currentSource,
             const std::vector<std::string>& sources);
  void Send(const std::string& line);

  // The window program's path: beside the manager library.
  static std::string ProgramPath();

 private:
  void ReadAnswers(int fd);

  std::function<void(const std::string&)> onAnswer_;
  std::atomic<bool> closing_{false};  // answers after this are not the user's
  pid_t child_ = -1;
  int toChild_ = -1;
  std::mutex mutex_;
  std::thread reader_;
};
