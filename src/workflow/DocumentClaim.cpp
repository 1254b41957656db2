#include "workflow/DocumentClaim.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "naming/SeriesOrder.h"
#include "platform/claims/ClaimedFiles.h"
#include "settings/PerFolderPreferences.h"
#include "workflow/DestinationNameCheck.h"
#include "workflow/DocumentPaths.h"

namespace {

// A folder where this many names of the series are taken is not being scanned
// into by people; the user is asked instead.
constexpr int kMaxMoves = 1000;

DocumentPaths PathsOf(const ScanChoices& choices) {
  return DocumentPaths(choices.destinationFolder, choices.destinationName, choices.fileFormatType,
                       choices.isMultiPageDocument);
}

// The window may show a name proposed a while ago; another scan may have
// recorded later ones since, which the record on disk tells at once.
std::string FreshProposal(const ScanChoices& choices) {
  const FileNameFormat& series = *choices.nameSeries;
  const std::string last = PerFolderPreferences(choices.destinationFolder).ReadLastDestination();
  if (last.empty())
    return choices.destinationName;
  return LaterInSeries(series, choices.destinationName, series.NextName(last));
}

std::string NextFreeCandidate(const ScanChoices& choices) {
  const std::string next = choices.nameSeries->NextName(choices.destinationName);
  if (next == choices.destinationName || CheckDestinationName(next) != DestinationNameProblem::None)
    return {};
  return next;
}

bool IsFolder(const std::string& path) {
  return FileExists(EnsureTrailingSeparator(path));
}

}  // namespace

DocumentClaim::~DocumentClaim() {
  Release();
}

DocumentClaim::Outcome DocumentClaim::ClaimName(
    ScanChoices& choices, const std::function<bool(const std::string&)>& askOverwrite) {
  Release();
  if (choices.nameSeries)
    choices.destinationName = FreshProposal(choices);
  for (int moves = 0;; ++moves) {
    const DocumentPaths paths = PathsOf(choices);
    const Attempt attempt = Take(paths);
    if (attempt == Attempt::Claimed)
      return Outcome::Claimed;
    if (attempt == Attempt::Failed)
      return Outcome::Failed;
    std::string next = choices.nameSeries && moves < kMaxMoves ? NextFreeCandidate(choices) : "";
    if (!next.empty()) {
      Log(LOG_LOCATION, "DocumentClaim::ClaimName(): %s is taken, moving on to %s", taken_.c_str(),
          next.c_str());
      choices.destinationName = std::move(next);
      continue;
    }
    if (!askOverwrite(taken_))
      return Outcome::Declined;
    switch (TakeForOverwrite(paths)) {
      case Attempt::Claimed:
        return Outcome::Claimed;
      case Attempt::Taken:
        Fail(taken_, EEXIST);
        return Outcome::Failed;
      case Attempt::Failed:
        return Outcome::Failed;
    }
  }
}

void DocumentClaim::Describe(const DocumentPaths& paths) {
  Reset();
  const std::string destination = paths.GetDestinationPath();
  finalFile_ = destination.ends_with('/') ? std::string() : destination;
  pageFolder_ = paths.HasPageFiles() ? RemoveTrailingSeparator(paths.GetDocumentFolder()) : "";
}

DocumentClaim::Attempt DocumentClaim::Take(const DocumentPaths& paths) {
  Describe(paths);
  if (!finalFile_.empty()) {
    FileIdentity made;
    if (const int error = FileClaims::CreateEmptyFile(finalFile_, &made); error != 0) {
      if (error != EEXIST)
        return Fail(finalFile_, error);
      taken_ = finalFile_;
      Reset();
      return Attempt::Taken;
    }
    Hold(made, true);
  }
  if (!pageFolder_.empty()) {
    if (const int error = FileClaims::CreateFolder(pageFolder_); error != 0) {
      const std::string folder = pageFolder_;
      Release();
      if (error != EEXIST)
        return Fail(folder, error);
      taken_ = folder + "/";
      return Attempt::Taken;
    }
    createdFolder_ = true;
  }
  Log(LOG_LOCATION, "DocumentClaim::Take(): %s", paths.GetDestinationPath().c_str());
  return Attempt::Claimed;
}

// The user agreed to replace what is there now; only that is replaced, and
// an existing page folder is written into as the pages' own questions allow.
DocumentClaim::Attempt DocumentClaim::TakeForOverwrite(const DocumentPaths& paths) {
  Describe(paths);
  if (!finalFile_.empty()) {
    expected_ = IdentityOf(finalFile_);
    if (!expected_) {
      FileIdentity made;
      if (const int error = FileClaims::CreateEmptyFile(finalFile_, &made); error != 0) {
        taken_ = finalFile_;
        return error == EEXIST ? Attempt::Taken : Fail(finalFile_, error);
      }
      Hold(made, true);
    } else {
      Hold(*expected_, false);
    }
  }
  if (!pageFolder_.empty()) {
    const int error = FileClaims::CreateFolder(pageFolder_);
    createdFolder_ = error == 0;
    if (error != 0 && !(error == EEXIST && IsFolder(pageFolder_))) {
      const std::string folder = pageFolder_;
      Release();
      return Fail(folder, error == EEXIST ? ENOTDIR : error);
    }
  }
  Log(LOG_LOCATION, "DocumentClaim::TakeForOverwrite(): %s", paths.GetDestinationPath().c_str());
  return Attempt::Claimed;
}

DocumentClaim::Attempt DocumentClaim::Fail(const std::string& path, int errorNumber) {
  errorText_ = path + ": " + std::strerror(errorNumber);
  Log(LOG_LOCATION, "DocumentClaim: %s", errorText_.c_str());
  return Attempt::Failed;
}

bool DocumentClaim::HoldsPlaceholder(const std::string& path) const {
  return placeholder_ && path == finalFile_ && IdentityOf(path) == expected_;
}

void DocumentClaim::Hold(const FileIdentity& expected, bool placeholder) {
  expected_ = expected;
  placeholder_ = placeholder;
  ClaimedFiles::Hold(finalFile_, expected);
}

void DocumentClaim::Release() {
  if (expected_) {
    ClaimedFiles::LetGo(finalFile_);
    // A placeholder the finished document replaced is no longer what it was.
    if (placeholder_)
      FileClaims::RemoveIfUnchanged(finalFile_, *expected_);
  }
  // Only an empty folder goes: pages already written stay for the user.
  if (createdFolder_)
    ::rmdir(pageFolder_.c_str());
  Reset();
}

void DocumentClaim::Reset() {
  finalFile_.clear();
  pageFolder_.clear();
  expected_.reset();
  placeholder_ = false;
  createdFolder_ = false;
}
