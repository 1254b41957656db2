// Where the program finds the files that come with it: in an installed tree,
// relative to its own folder wherever the tree was put; from a build folder,
// in the source tree.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>

#include "platform/InstallLayout.h"

namespace {

bool IsFile(const std::string& path) {
  return std::filesystem::is_regular_file(path);
}

TEST(InstallLayout, AnInstalledTreeIsFoundRelativeToTheProgramWhereverItWasPut) {
  QTemporaryDir dir;
  const std::string prefix = dir.filePath("staging/usr").toStdString();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + "/bin")));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + "/share/docketeer")));
  const std::string bin = prefix + "/bin";

  EXPECT_EQ(InstallLayout::DataFolderFor(bin), prefix + "/share/docketeer");
  const auto folders = InstallLayout::ManagerLibraryFoldersFor(bin);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], bin) << "a build folder keeps the library beside the program";
  EXPECT_TRUE(folders[1].starts_with(prefix + "/lib")) << folders[1];
  EXPECT_TRUE(folders[1].ends_with("/docketeer")) << folders[1];
  EXPECT_EQ(folders[1].find(".."), std::string::npos) << folders[1];
}

TEST(InstallLayout, AProgramThatWasNotInstalledReadsTheSourceTree) {
  QTemporaryDir dir;
  const std::string sourceData = InstallLayout::DataFolderFor(dir.path().toStdString());
  EXPECT_EQ(InstallLayout::DataFolderFor(""), sourceData);
  EXPECT_TRUE(IsFile(sourceData + "/DocumentSizes.txt")) << sourceData;
  EXPECT_TRUE(InstallLayout::ManagerLibraryFoldersFor("").empty());

  // This test runs from the build folder: the running program's places.
  EXPECT_FALSE(InstallLayout::ExecutableFolder().empty());
  EXPECT_EQ(InstallLayout::DataFolder(), sourceData);
  EXPECT_TRUE(IsFile(InstallLayout::DefaultDocumentSizesPath()));
  EXPECT_TRUE(IsFile(InstallLayout::HelpFolder() + "/index.html"));
  EXPECT_EQ(InstallLayout::ManagerLibraryFolders().front(), InstallLayout::ExecutableFolder());
}

}  // namespace
