#include "platform/claims/ClaimedFiles.h"

#include <stdio.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <optional>

namespace {

// Writers run on worker threads; the claims are taken on the GUI thread.
std::mutex claimsMutex;
std::map<std::string, FileIdentity>& Claims() {
  static std::map<std::string, FileIdentity> claims;
  return claims;
}

std::optional<FileIdentity> ClaimOn(const std::string& path) {
  const std::lock_guard lock(claimsMutex);
  const auto found = Claims().find(path);
  return found == Claims().end() ? std::nullopt : std::optional(found->second);
}

}  // namespace

namespace ClaimedFiles {

void Hold(const std::string& path, const FileIdentity& expected) {
  const std::lock_guard lock(claimsMutex);
  Claims()[path] = expected;
}

void LetGo(const std::string& path) {
  const std::lock_guard lock(claimsMutex);
  Claims().erase(path);
}

int MoveIntoPlace(const std::string& from, const std::string& target) {
  if (const std::optional<FileIdentity> expected = ClaimOn(target))
    return FileClaims::ReplaceIfUnchanged(from, target, *expected);
  return ::rename(from.c_str(), target.c_str()) == 0 ? 0 : errno;
}

}  // namespace ClaimedFiles
