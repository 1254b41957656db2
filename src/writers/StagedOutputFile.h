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

  // Creates the empty temporary file (a short hidden name in the target's
  // folder); refused when the target exists and may not be replaced.
  bool Create();
  const std::string& TemporaryPath() const { return temporaryPath_; }
  // Flushes the temporary file to disk and renames it over the target,
  // unless the target has become one that may not be replaced.
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

// Why an existing `target` must not be replaced: EACCES (or EPERM, EROFS) when
// this user may not write it, as for a read-only file; 0 when it may be
// replaced or does not exist.
int ReplaceRefusal(const std::string& target);
