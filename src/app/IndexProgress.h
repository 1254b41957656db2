#pragma once

#include <chrono>
#include <string>

// The progress of index work on the command's progress line (a terminal, not
// --quiet): nothing for work done in a moment, and at most ten lines a second.
class IndexProgress {
 public:
  IndexProgress();
  ~IndexProgress() { Clear(); }
  IndexProgress(const IndexProgress&) = delete;
  IndexProgress& operator=(const IndexProgress&) = delete;

  // "Indexing the archive: 607 of 2,525 documents", at most ten times a second.
  void Show(const std::string& what, int done, int total, const std::string& unit);
  void Clear();
  bool OnTerminal() const;

 private:
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
};

// 2525 as "2,525".
std::string GroupedNumber(long long number);
