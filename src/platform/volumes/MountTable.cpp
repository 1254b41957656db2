#include "platform/volumes/MountTable.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

// Undoes escapes of the form <marker><digits>: mountinfo writes blanks in
// mount points as \040 (octal), /dev/disk/by-label as \x20 (hexadecimal).
std::string DecodeEscapes(const std::string& text, const std::string& marker, size_t digits,
                          int base) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t start = i + marker.size();
    const bool escaped =
        text.compare(i, marker.size(), marker) == 0 && start + digits <= text.size() &&
        std::all_of(text.begin() + start, text.begin() + start + digits, [base](char c) {
          return std::isxdigit(c) && (base == 16 || (c >= '0' && c <= '7'));
        });
    if (escaped) {
      decoded += static_cast<char>(std::stoi(text.substr(start, digits), nullptr, base));
      i = start + digits - 1;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::string DecodeOctal(const std::string& text) {
  return DecodeEscapes(text, "\\", 3, 8);
}

std::string DecodeHex(const std::string& text) {
  return DecodeEscapes(text, "\\x", 2, 16);
}

std::string RealPath(const std::string& path) {
  std::array<char, PATH_MAX> resolved{};
  return ::realpath(path.c_str(), resolved.data()) != nullptr ? std::string(resolved.data()) : path;
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

std::string LabelOf(const std::string& device) {
  if (!device.starts_with("/dev/"))
    return {};
  const std::string target = RealPath(device);
  const std::string folder = "/dev/disk/by-label/";
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr)
    return {};
  std::string label;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.' && RealPath(folder + entry->d_name) == target) {
      label = DecodeHex(entry->d_name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

bool IsVolume(const std::string& mountPoint, const std::string& root, const std::string& type,
              const std::string& device) {
  if (mountPoint == "/")
    return true;
  if (root != "/")
    return false;  // bind mounts of a folder or a single file
  if (MountTable::IsNetworkFileSystem(type))
    return true;
  return device.starts_with("/dev/") && type != "squashfs";
}

std::vector<std::string> Fields(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> fields;
  for (std::string field; stream >> field;)
    fields.push_back(field);
  return fields;
}

}  // namespace

MountTable MountTable::Read() {
  std::ifstream file("/proc/self/mountinfo");
  std::stringstream text;
  text << file.rdbuf();
  return Parse(text.str(), &MountTable::IsRemovableDevice);
}

MountTable MountTable::Parse(const std::string& mountInfo,
                             bool (*removable)(const std::string& device)) {
  MountTable table;
  std::istringstream lines(mountInfo);
  for (std::string line; std::getline(lines, line);) {
    const auto fields = Fields(line);
    const auto dash = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || dash == fields.end() || fields.end() - dash < 3)
      continue;
    MountedVolume volume;
    volume.rootPath = DecodeOctal(fields[4]);
    volume.fileSystemType = *(dash + 1);
    volume.device = DecodeOctal(*(dash + 2));
    if (!IsVolume(volume.rootPath, DecodeOctal(fields[3]), volume.fileSystemType, volume.device))
      continue;
    volume.isNetwork = IsNetworkFileSystem(volume.fileSystemType);
    volume.isRemovable = !volume.isNetwork && removable(volume.device);
    // A later mount on the same point hides the earlier one.
    std::erase_if(table.volumes_,
                  [&](const MountedVolume& v) { return v.rootPath == volume.rootPath; });
    table.volumes_.push_back(std::move(volume));
  }
  std::sort(table.volumes_.begin(), table.volumes_.end(),
            [](const auto& a, const auto& b) { return a.rootPath < b.rootPath; });
  for (auto& volume : table.volumes_)
    volume.label = LabelOf(volume.device);
  return table;
}

const MountedVolume* MountTable::VolumeAt(const std::string& path) const {
  std::string wanted = path;
  while (wanted.size() > 1 && wanted.ends_with('/'))
    wanted.pop_back();
  for (const auto& volume : volumes_)
    if (volume.rootPath == wanted)
      return &volume;
  return nullptr;
}

const MountedVolume* MountTable::VolumeHolding(const std::string& path) const {
  const MountedVolume* best = nullptr;
  for (const auto& volume : volumes_) {
    const std::string& root = volume.rootPath;
    const bool holds =
        root == "/" || path == root ||
        (path.starts_with(root) && path.size() > root.size() && path[root.size()] == '/');
    if (holds && (best == nullptr || root.size() > best->rootPath.size()))
      best = &volume;
  }
  return best;
}

bool MountTable::IsNetworkFileSystem(const std::string& type) {
  static constexpr std::array<std::string_view, 16> kTypes{
      "nfs",        "nfs4",        "cifs",           "smb3",       "smbfs",  "ncpfs",
      "afs",        "9p",          "ceph",           "glusterfs",  "lustre", "davfs",
      "fuse.sshfs", "fuse.davfs2", "fuse.glusterfs", "fuse.rclone"};
  return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

// Removable disks and optical drives say so in sysfs; a partition asks its disk.
bool MountTable::IsRemovableDevice(const std::string& device) {
  if (!device.starts_with("/dev/"))
    return false;
  const std::string name = RealPath(device).substr(std::string("/dev/").size());
  if (name.empty() || name.find('/') != std::string::npos)
    return false;
  const std::string sysfs = RealPath("/sys/class/block/" + name);
  const bool isPartition = !ReadFirstLine(sysfs + "/partition").empty();
  const std::string disk = isPartition ? sysfs.substr(0, sysfs.rfind('/')) : sysfs;
  return ReadFirstLine(disk + "/removable") == "1";
}
