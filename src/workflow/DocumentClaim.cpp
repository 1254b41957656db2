#include "workflow/DocumentClaim.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "naming/SeriesOrder.h"
#include "platform/claims/ClaimRecord.h"
#include "platform/claims/ClaimedFiles.h"
#include "settings/PerFolderPreferences.h"
#include "workflow/AbandonedClaims.h"
#include "workflow/DestinationNameCheck.h"
#include "workflow/DocumentPaths.h"
#include "workflow/SeriesStem.h"

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

// `path` relative to `folder`, which holds it; empty for an empty path.
std::string NameIn(const std::string& folder, const std::string& path) {
  return path.starts_with(folder) ? path.substr(folder.size()) : std::string();
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
  leftPageFolders_ = AbandonedClaims::TakeBack(EnsureTrailingSeparator(choices.destinationFolder));
  if (choices.nameSeries)
    choices.destinationName = FreshProposal(choices);
  for (int moves = 0;; ++moves) {
    const DocumentPaths paths = PathsOf(choices);
    const Attempt attempt = Take(paths, choices.nameSeries.has_value());
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

// A series name is its stem, held by the record whatever the format: a scan
// in PDF and one in JPEG never both take 001. A name the user gave is held
// by its own file only, as before; its record is kept when it can be made.
DocumentClaim::Attempt DocumentClaim::TakeRecord(const DocumentPaths& paths, bool wholeStem) {
  const std::string folder = paths.GetDestinationFolder();
  const std::string name = paths.GetDestinationName();
  ClaimOwner owner = ThisProcess();
  owner.finalFile = NameIn(folder, finalFile_);
  owner.pageFolder = NameIn(folder, pageFolder_);
  const std::string record = AbandonedClaims::RecordPath(folder, name);
  const int error = ClaimRecords::Create(record, owner);
  if (error == 0) {
    record_ = record;
  } else if (wholeStem) {
    if (error != EEXIST)
      return Fail(record, error);
    taken_ = paths.GetDestinationPath();
    return Attempt::Taken;
  }
  if (wholeStem && IsStemTaken(folder, name)) {
    taken_ = paths.GetDestinationPath();
    Release();
    return Attempt::Taken;
  }
  return Attempt::Claimed;
}

DocumentClaim::Attempt DocumentClaim::Take(const DocumentPaths& paths, bool wholeStem) {
  Describe(paths);
  if (const Attempt stem = TakeRecord(paths, wholeStem); stem != Attempt::Claimed) {
    Reset();
    return stem;
  }
  if (!finalFile_.empty()) {
    FileIdentity made;
    if (const int error = FileClaims::CreateEmptyFile(finalFile_, &made); error != 0) {
      const std::string file = finalFile_;
      Release();
      if (error != EEXIST)
        return Fail(file, error);
      taken_ = file;
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
  TakeRecord(paths, false);
  if (!finalFile_.empty()) {
    expected_ = IdentityOf(finalFile_);
    if (!expected_) {
      FileIdentity made;
      if (const int error = FileClaims::CreateEmptyFile(finalFile_, &made); error != 0) {
        taken_ = finalFile_;
        Release();
        return error == EEXIST ? Attempt::Taken : Fail(taken_, error);
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
  // Last, so the stem stays held until its files are settled.
  if (!record_.empty())
    ::unlink(record_.c_str());
  Reset();
}

void DocumentClaim::Reset() {
  finalFile_.clear();
  pageFolder_.clear();
  expected_.reset();
  placeholder_ = false;
  createdFolder_ = false;
  record_.clear();
}
