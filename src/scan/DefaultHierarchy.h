#pragma once

#include <span>
#include <string>
#include <vector>

// The ready-made tree of household filing folders that fills a new default
// archive root. Numbered folders ("Auto %d (right click to change)") stand for
// the user's own items and invite a rename in the folder tree.

struct DefaultHierarchyRow {
  int firstCount;          // values 1..firstCount for the first "%d"
  int secondCount;         // values 1..secondCount for the second "%d"
  const char* pathFormat;  // relative to the root, "/" between names
};

// The rows in creation order: every folder's parent comes before the folder.
std::span<const DefaultHierarchyRow> DefaultHierarchyRows();

// Every folder of the hierarchy relative to the root, in creation order
// (the second number varies fastest within a row).
std::vector<std::string> DefaultHierarchyFolders();

// Creates the root folder (with any missing parents) and every folder of the
// hierarchy below it, one level at a time. Nothing that exists is changed; a
// folder that cannot be created is skipped. `rootFolder` must end in "/".
// Returns true when the root and every folder of the hierarchy exist afterwards.
bool CreateDefaultHierarchy(const std::string& rootFolder);
