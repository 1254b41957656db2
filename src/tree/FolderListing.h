#pragma once

#include <functional>
#include <string>

// One entry of a folder as the listing reports it.
struct FolderEntry {
  std::string name;
  bool isDirectory = false;  // symbolic links count as what they point at
  bool isSymbolicLink = false;
};

// Reads folders straight from the directory stream: the entry type comes with
// the name, so a listing costs no stat per file.
namespace FolderListing {

// Calls `visit` for every entry except "." and ".." until it returns false.
// False when the folder cannot be read (missing, a file, no access).
bool ForEach(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit);

// The path exists (a dangling symbolic link exists too).
bool Exists(const std::string& path);
// The path exists and is (or links to) a directory.
bool IsDirectory(const std::string& path);

// A symbolic link that leads to the folder it sits in or to one above it:
// listing it would walk in a circle, so the tree never lists it.
bool IsLinkToOwnAncestor(const std::string& path);

}  // namespace FolderListing
