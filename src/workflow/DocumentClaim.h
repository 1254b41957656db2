#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/claims/FileClaims.h"
#include "workflow/ScanWorkflowHost.h"

class DocumentPaths;

// The name one document holds in its folder from the scan command until it is
// published. The claim is made on the file system itself, so two scans in one
// process or many, on one computer or two sharing the folder, never hold one
// name: the document's one final file is created empty and exclusively, its
// page folder made with mkdir. A record beside them names the document's stem
// and the process holding it: a series name is claimed whatever its format,
// and a claim whose process is gone is taken back by the next scan. While the
// claim is held, the writers publish
// the finished file over its own placeholder only (or over the document the
// user agreed to replace), never over one that appeared meanwhile. A claim
// given back with nothing written leaves no trace.
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
  // `path` is the empty placeholder this claim made for the document's final file.
  bool HoldsPlaceholder(const std::string& path) const;
  // Gives back what was claimed and not published: the placeholder, and the
  // page folder when it is empty. Published documents and pages stay.
  void Release();
  // Why the last claim failed.
  std::string ErrorText() const { return errorText_; }
  // Page folders of interrupted scans found in the folder by the last claim
  // (with their trailing "/"); their claims were taken back, their pages kept.
  const std::vector<std::string>& LeftPageFolders() const { return leftPageFolders_; }

 private:
  enum class Attempt { Claimed, Taken, Failed };

  // The final file and page folder of `paths`, with nothing claimed yet.
  void Describe(const DocumentPaths& paths);
  Attempt Take(const DocumentPaths& paths, bool wholeStem);
  Attempt TakeRecord(const DocumentPaths& paths, bool wholeStem);
  Attempt TakeForOverwrite(const DocumentPaths& paths);
  Attempt Fail(const std::string& path, int errorNumber);
  void Hold(const FileIdentity& expected, bool placeholder);
  void Reset();

  std::string finalFile_;                 // empty for a document that is a folder of page files
  std::string pageFolder_;                // without its trailing "/"; empty without page files
  std::optional<FileIdentity> expected_;  // what publishing may replace
  bool placeholder_ = false;              // expected_ is our own empty placeholder
  bool createdFolder_ = false;
  std::string record_;  // the claim's record, when this claim made it
  std::string taken_;
  std::vector<std::string> leftPageFolders_;
  std::string errorText_;
};
