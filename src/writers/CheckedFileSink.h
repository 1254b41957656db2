#pragma once

#include <string>
#include <thread>

// A file for a library that writes by file name and does not report every
// failed write (libHaru ignores the result of its final fclose, so a full disk
// goes unnoticed). The library writes into a pipe named by PipePath(); a thread
// copies what comes through into the real file with every write checked.
class CheckedFileSink {
 public:
  CheckedFileSink() = default;
  ~CheckedFileSink();
  CheckedFileSink(const CheckedFileSink&) = delete;
  CheckedFileSink& operator=(const CheckedFileSink&) = delete;

  // Creates (or empties) `path` and starts copying; false with ErrorNumber set.
  bool Open(const std::string& path);
  // The name the library opens for writing while the sink is open.
  std::string PipePath() const;
  // Call after the library has closed its file: waits for the copy to end and
  // flushes the file to disk. True only when every byte reached the disk.
  bool Close();
  // The errno value of the first failure; 0 when none.
  int ErrorNumber() const { return errorNumber_; }

 private:
  void Copy();
  void StopCopying();
  void Abandon();

  int fileFd_ = -1;
  int readFd_ = -1;
  int writeFd_ = -1;
  int stopFd_ = -1;
  int errorNumber_ = 0;
  std::thread copier_;
};
