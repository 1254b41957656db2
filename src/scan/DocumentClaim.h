#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/claims/FileClaims.h"
#include "scan/ScanWorkflowHost.h"

class DocumentPaths;

// The name one document holds in its folder from the scan command until it is
// published. The claim is made on the file system itself, so two scans in one
// process or many, on one computer or two sharing the folder, never hold one
// name: the document's one final file is created empty and exclusively, its
// page folder made with mkdir. The finished file is written under a staging
// name and published over its own placeholder only, never over a document
// that appeared meanwhile. A claim given back (nothing written) leaves no trace.
class DocumentClaim {
 public:
  enum class Outcome { Claimed, Declined, Failed };

  DocumentClaim() = default;
  ~DocumentClaim();
  DocumentClaim(const DocumentClaim&) = delete;
  DocumentClaim& operator=(const DocumentClaim&) = delete;

  // Claims the name of `choices`; a proposed name that is taken moves on along
  // its series (changing `choices.destinationName`), a given one that is taken
  // is put to `askOverwrite` with the path found, and on Yes replaces only what
  // is there now.
  Outcome ClaimName(ScanChoices& choices,
                    const std::function<bool(const std::string& existing)>& askOverwrite);

  // This claim made the page folder (an existing one is used only when overwriting).
  bool CreatedFolder() const { return createdFolder_; }
  // `path` is the final file this claim holds a placeholder for.
  bool HoldsPlaceholder(const std::string& path) const;
  // `path` is the final file: it is written to a staging path and published.
  bool IsFinalFile(const std::string& path) const {
    return !finalFile_.empty() && path == finalFile_;
  }
  // A fresh hidden name beside the final file to write it under.
  std::string NewStagingPath() const;
  // Moves the staged file to the final name; false (staged file kept) when
  // the final name now holds a document this claim may not replace.
  bool Publish(const std::string& staged);
  // Gives back what was claimed and not published: the placeholder, and the
  // page folder when it is empty. Published documents and pages stay.
  void Release();
  // Why the last claim or publish failed.
  std::string ErrorText() const { return errorText_; }

 private:
  enum class Attempt { Claimed, Taken, Failed };

  Attempt Take(const DocumentPaths& paths);
  Attempt TakeForOverwrite(const DocumentPaths& paths);
  Attempt Fail(const std::string& path, int errorNumber);
  void Reset();

  std::string finalFile_;                 // empty for a document that is a folder of page files
  std::string pageFolder_;                // without its trailing "/"; empty without page files
  std::optional<FileIdentity> expected_;  // what publishing may replace
  bool placeholder_ = false;              // expected_ is our own empty placeholder
  bool createdFolder_ = false;
  bool published_ = false;
  std::string taken_;
  std::string errorText_;
};
