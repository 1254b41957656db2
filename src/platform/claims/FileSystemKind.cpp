#include "platform/claims/FileSystemKind.h"

#include <sys/vfs.h>

#include <mutex>

namespace {

// statfs magic numbers of the file systems whose changes may come from elsewhere.
constexpr unsigned long kRemoteMagic[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x65735546,  // FUSE (sshfs, rclone, ...)
    0x01021997,  // 9P
    0x00C36400,  // Ceph
    0x5346414F,  // AFS
    0x73757245,  // Coda
};

std::mutex probeMutex;
std::function<FileSystemKind(const std::string&)> probeOverride;

FileSystemKind Probe(const std::string& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0)
    return FileSystemKind::Local;
  const auto magic = static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFUL;
  for (unsigned long remote : kRemoteMagic)
    if (magic == remote)
      return FileSystemKind::Remote;
  return FileSystemKind::Local;
}

}  // namespace

FileSystemKind FileSystemKindOf(const std::string& path) {
  {
    const std::lock_guard lock(probeMutex);
    if (probeOverride)
      return probeOverride(path);
  }
  return Probe(path);
}

void SetFileSystemKindForTesting(std::function<FileSystemKind(const std::string&)> probe) {
  const std::lock_guard lock(probeMutex);
  probeOverride = std::move(probe);
}
