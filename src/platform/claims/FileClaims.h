#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// What tells one file from the one that replaced it under the same name.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modifiedNanoseconds = 0;

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of whatever `path` names (not following a link); nothing when it is missing.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The claims return 0 or the errno value; EEXIST means someone else holds the name.
namespace FileClaims {

// Creates `path` as an empty file that did not exist before; `identity` receives what was made.
int CreateEmptyFile(const std::string& path, FileIdentity* identity);
// Creates the folder `path` (no trailing "/"), which must not exist yet.
int CreateFolder(const std::string& path);
// Removes `path` when it is still exactly `identity`, so a claim given up never
// takes away a file someone else put there meanwhile.
void RemoveIfUnchanged(const std::string& path, const FileIdentity& identity);

enum class RenameMethod { NoReplaceFlag, LinkThenUnlink };

// Moves the file `from` to `to` unless `to` exists (EEXIST). The file system's
// no-replace rename where it has one, else a hard link and an unlink.
int RenameNoReplace(const std::string& from, const std::string& to, RenameMethod* used = nullptr);
// Moves `from` over `to` only while `to` is still `expected`; a missing `to`
// is taken without replacing anything; any other file there refuses (EEXIST).
int ReplaceIfUnchanged(const std::string& from, const std::string& to,
                       const FileIdentity& expected);

// Tests take the fallback path on file systems that have the flag.
void ForceLinkFallbackForTesting(bool force);

}  // namespace FileClaims
