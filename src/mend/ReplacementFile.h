#pragma once

#include <optional>
#include <string>

#include "platform/claims/FileClaims.h"

// A mend's output: written under a hidden temporary name in the target's
// folder, flushed to disk, and moved to the target only when complete. A
// document is replaced only while it is still the file that was read (never
// one changed or put there meanwhile); a new file never replaces anything. An
// uncommitted temporary file is removed when the object goes, and one left by
// a killed process holds a copy, never the only one.
class ReplacementFile {
 public:
  // `replaced`: the identity of the document `target` names now; nothing for a new file.
  ReplacementFile(std::string target, std::optional<FileIdentity> replaced);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the empty temporary file with the replaced document's permissions;
  // 0 or the errno value (EACCES for a read-only document).
  int Create();
  const std::string& TemporaryPath() const { return temporaryPath_; }
  const std::string& Target() const { return target_; }
  // Flushes the temporary file, moves it into place and flushes the folder;
  // 0 or the errno value (EEXIST: the target changed or appeared meanwhile).
  int Commit();
  void Discard();

 private:
  std::string target_;
  std::optional<FileIdentity> replaced_;
  std::string temporaryPath_;
};

// Test seam: the next Commit of any ReplacementFile fails with this errno
// value after flushing, before anything is moved (0 turns it off).
void FailNextReplacementForTesting(int errorNumber);
