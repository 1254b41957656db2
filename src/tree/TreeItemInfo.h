#pragma once

#include <optional>
#include <string>

// A network resource as the tree shows it; on this desktop a mounted network
// file system (remote name "//server/docs" or "server:/srv/docs").
struct NetResource {
  enum DisplayType { kGeneric = 0, kDomain = 1, kServer = 2, kShare = 3 };

  int scope = 0;
  int type = 0;
  int displayType = kGeneric;
  int usage = 0;
  std::string localName;   // the mount point
  std::string remoteName;  // the mounted source
  std::string comment;
  std::string provider;  // the file system type
};

// The record behind one tree item.
struct TreeItemInfo {
  std::string path;  // full path; a drive's mount point; empty for the fallback nodes
  std::string name;  // the entry's own name on disk, the text path lookups compare against
  std::optional<NetResource> netResource;
  bool isNetworkNode = false;
  bool extensionHidden = false;  // the label leaves out the extension (never on this desktop)
  bool isFile = false;
};
