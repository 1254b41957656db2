#include "workflow/AbandonedClaims.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/claims/ClaimRecord.h"
#include "platform/profile/FolderLock.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRecordEnd = ".claim";

bool IsRecordName(const std::string& name) {
  return name.size() > 1 + kRecordEnd.size() && name.front() == '.' && name.ends_with(kRecordEnd);
}

bool IsEmptyFile(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

bool HoldsAnything(const std::string& folder) {
  std::error_code error;
  return fs::is_directory(folder, error) && !fs::is_empty(folder, error);
}

// Under the folder's lock, and only while the record still names the same
// gone owner, so two scans that find one abandoned claim take it back once
// and neither removes a claim made again meanwhile.
void TakeBackOne(const std::string& folder, const std::string& record, const ClaimOwner& seen,
                 std::vector<std::string>& leftPages) {
  const FolderLock lock(RemoveTrailingSeparator(folder));
  if (ClaimRecords::Read(record) != seen)
    return;
  Log(LOG_LOCATION, "AbandonedClaims::TakeBack(): %s of process %ld", record.c_str(), seen.pid);
  // A placeholder the finished document replaced before the end holds the document.
  if (!seen.finalFile.empty() && IsEmptyFile(folder + seen.finalFile))
    ::unlink((folder + seen.finalFile).c_str());
  if (!seen.pageFolder.empty()) {
    const std::string pages = folder + seen.pageFolder;
    ::rmdir(pages.c_str());
    if (HoldsAnything(pages))
      leftPages.push_back(EnsureTrailingSeparator(pages));
  }
  ::unlink(record.c_str());
}

}  // namespace

namespace AbandonedClaims {

std::string RecordPath(const std::string& folder, const std::string& name) {
  return folder + "." + name + std::string(kRecordEnd);
}

std::vector<std::string> TakeBack(const std::string& folder) {
  std::vector<std::string> leftPages;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!IsRecordName(name))
      continue;
    const std::string record = folder + name;
    const std::optional<ClaimOwner> owner = ClaimRecords::Read(record);
    if (owner && IsOwnerGone(*owner))
      TakeBackOne(folder, record, *owner, leftPages);
  }
  return leftPages;
}

std::string LeftPagesNotice(const std::string& pageFolder) {
  return "Pages of an interrupted scan are in " + pageFolder;
}

}  // namespace AbandonedClaims
