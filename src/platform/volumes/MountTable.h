#pragma once

#include <string>
#include <vector>

// One mounted volume: what a "drive" is on this desktop.
struct MountedVolume {
  std::string rootPath;        // mount point, without a trailing separator except for "/"
  std::string device;          // "/dev/sda1", "//server/docs", "server:/srv/docs"
  std::string fileSystemType;  // "ext4", "cifs", "nfs4", "fuse.sshfs"
  std::string label;           // the volume label, empty when it has none
  bool isNetwork = false;
  bool isRemovable = false;  // removable disk or optical drive: never probed
};

// The mount table of this process, read once per Refresh. Pseudo file systems
// (proc, sysfs, cgroups, ...) are not volumes and are left out.
class MountTable {
 public:
  // Reads /proc/self/mountinfo.
  static MountTable Read();
  // Parses the text of a mountinfo file; `removable` decides removable devices.
  static MountTable Parse(const std::string& mountInfo,
                          bool (*removable)(const std::string& device));

  const std::vector<MountedVolume>& Volumes() const { return volumes_; }
  // The volume whose mount point is exactly `path` (trailing separator ignored), or none.
  const MountedVolume* VolumeAt(const std::string& path) const;
  // The volume that holds `path`: the one with the longest mount point above it.
  const MountedVolume* VolumeHolding(const std::string& path) const;

  static bool IsNetworkFileSystem(const std::string& type);
  static bool IsRemovableDevice(const std::string& device);

 private:
  std::vector<MountedVolume> volumes_;
};
