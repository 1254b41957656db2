#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "platform/volumes/FileFlags.h"
#include "platform/volumes/MountTable.h"

namespace {

constexpr const char* kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
    "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "30 27 8:17 / /media/user/USB\\040STICK rw shared:5 - vfat /dev/sdb1 rw\n"
    "31 27 0:50 / /mnt/docs rw - cifs //server/docs rw\n"
    "32 27 0:51 / /mnt/nfs rw - nfs4 server:/srv/archive rw\n"
    "33 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
    "34 27 254:0 /home/bind /srv/bound rw - ext4 /dev/vda rw\n"
    "35 27 8:2 / /data rw - ext4 /dev/sda2 rw\n"
    "36 27 8:3 / /data rw - xfs /dev/sda3 rw\n"
    "garbage line\n";

bool RemovableSdb(const std::string& device) {
  return device.starts_with("/dev/sdb");
}

TEST(MountTableTest, RealVolumesAndNetworkMountsOnlyLaterMountsWin) {
  const MountTable table = MountTable::Parse(kMountInfo, &RemovableSdb);
  std::vector<std::string> roots;
  for (const auto& volume : table.Volumes())
    roots.push_back(volume.rootPath);
  EXPECT_EQ(roots, (std::vector<std::string>{"/", "/data", "/media/user/USB STICK", "/mnt/docs",
                                             "/mnt/nfs"}));
  EXPECT_EQ(table.VolumeAt("/data")->fileSystemType, "xfs");
  EXPECT_TRUE(table.VolumeAt("/media/user/USB STICK/")->isRemovable);
  EXPECT_FALSE(table.VolumeAt("/data")->isRemovable);
  EXPECT_TRUE(table.VolumeAt("/mnt/docs")->isNetwork);
  EXPECT_TRUE(table.VolumeAt("/mnt/nfs")->isNetwork);
  EXPECT_EQ(table.VolumeAt("/mnt/docs")->device, "//server/docs");
  EXPECT_EQ(table.VolumeAt("/proc"), nullptr);
}

TEST(MountTableTest, VolumeHoldingAPathIsTheDeepestMountAboveIt) {
  const MountTable table = MountTable::Parse(kMountInfo, &RemovableSdb);
  EXPECT_EQ(table.VolumeHolding("/data/archive/2008")->rootPath, "/data");
  EXPECT_EQ(table.VolumeHolding("/database")->rootPath, "/");
  EXPECT_EQ(table.VolumeHolding("/media/user/USB STICK/x")->rootPath, "/media/user/USB STICK");
}

TEST(MountTableTest, ThisMachineHasARootVolume) {
  EXPECT_NE(MountTable::Read().VolumeAt("/"), nullptr);
}

TEST(FileFlagsTest, PlainFilesAndMissingPathsHaveNoFlags) {
  QTemporaryDir dir;
  const std::string file = dir.path().toStdString() + "/plain.txt";
  std::ofstream(file) << "x";
  const FileFlags plain = FileFlags::Of(file);
  EXPECT_FALSE(plain.compressed);
  EXPECT_FALSE(plain.encrypted);
  const FileFlags missing = FileFlags::Of(file + ".missing");
  EXPECT_FALSE(missing.compressed || missing.encrypted);
}

}  // namespace
