#pragma once

#include <string>

// A file written under a temporary name beside its target and renamed over
// the target only when complete, so a failed write never leaves a half-written
// document nor spoils the file it was meant to replace. An uncommitted
// temporary file is removed when the object goes.
class StagedOutputFile {
 public:
  explicit StagedOutputFile(std::string target);
  ~StagedOutputFile();
  StagedOutputFile(const StagedOutputFile&) = delete;
  StagedOutputFile& operator=(const StagedOutputFile&) = delete;

  // Creates the empty temporary file (a hidden name in the target's folder).
  bool Create();
  const std::string& TemporaryPath() const { return temporaryPath_; }
  // Flushes the temporary file to disk and renames it over the target.
  bool Commit();
  void Discard();
  // The errno value of the last failed Create or Commit; 0 when none.
  int ErrorNumber() const { return errorNumber_; }

 private:
  bool Failed(int errorNumber);

  std::string target_;
  std::string temporaryPath_;
  int errorNumber_ = 0;
};
