#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "core/ContractError.h"
#include "core/Paths.h"
#include "scan/DefaultHierarchy.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLoanStatements =
    "Houses/House 2 (right click to change)/Mortgages and Loans/"
    "Loan 3 (right click to change)/Statements";

class DefaultHierarchyTest : public ::testing::Test {
 protected:
  // A root one level below a missing folder, as the default root is on an
  // account without a documents folder.
  std::string Root() const { return dir_.path().toStdString() + "/Documents/Docketeer/"; }

  // Every folder below the root, relative to it.
  std::set<std::string> FoldersOnDisk() const {
    std::set<std::string> folders;
    for (const auto& entry : fs::recursive_directory_iterator(Root())) {
      if (entry.is_directory())
        folders.insert(fs::relative(entry.path(), Root()).string());
    }
    return folders;
  }

  static void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  QTemporaryDir dir_;
};

TEST_F(DefaultHierarchyTest, ANewRootReceivesExactlyTheTableFolders) {
  ASSERT_TRUE(CreateDefaultHierarchy(Root()));

  const std::vector<std::string> table = DefaultHierarchyFolders();
  const std::set<std::string> disk = FoldersOnDisk();
  EXPECT_EQ(DefaultHierarchyRows().size(), 95u);
  EXPECT_EQ(table.size(), 292u);
  EXPECT_EQ(disk, std::set<std::string>(table.begin(), table.end()));
  for (const char* folder :
       {kLoanStatements, "Autos/Auto 5 (right click to change)/Loan/Miscellaneous",
        "Houses/House 3 (right click to change)/Mortgages and Loans/"
        "Mortgage 1 (right click to change)/Miscellaneous",
        "Investments/Investment Firm 8 (right click to change)/Trade Confirmations",
        "Personal/Correspondence/Correspondent 8 (right click to change)",
        "Employment/Employer 3 (right click to change)/Insurance/Disability",
        "Personal/Miscellaneous", "Utilities and Services/Gas/Miscellaneous"})
    EXPECT_TRUE(disk.contains(folder)) << folder;
  EXPECT_FALSE(disk.contains("Autos/Auto 6 (right click to change)"));
  EXPECT_FALSE(
      disk.contains("Houses/House 1 (right click to change)/Mortgages and Loans/"
                    "Loan 4 (right click to change)"));
}

TEST_F(DefaultHierarchyTest, TableListsParentsFirstAndNamesFitWindowsFileSystems) {
  const std::vector<std::string> table = DefaultHierarchyFolders();
  std::set<std::string> seen;
  for (const std::string& folder : table) {
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos) {
      EXPECT_TRUE(seen.contains(folder.substr(0, slash))) << folder << " before its parent";
    }
    EXPECT_TRUE(seen.insert(folder).second) << folder << " twice";
    // Archives are shared with Windows machines: no reserved characters, no
    // trailing dot or blank, and room left under the 260-character limit.
    for (const std::string& name : SplitPath(folder)) {
      EXPECT_TRUE(IsValidNewName(name)) << folder;
      EXPECT_FALSE(name.ends_with('.') || name.ends_with(' ')) << folder;
    }
    EXPECT_LT(folder.size(), 130u) << folder;
  }
  // Within a row the inner number runs fastest.
  const auto firstMortgage = std::find(table.begin(), table.end(),
                                       "Houses/House 1 (right click to change)/Mortgages and "
                                       "Loans/Mortgage 1 (right click to change)");
  ASSERT_NE(firstMortgage, table.end());
  EXPECT_EQ(*(firstMortgage + 1),
            "Houses/House 1 (right click to change)/Mortgages and Loans/Mortgage 2 (right click "
            "to change)");
}

TEST_F(DefaultHierarchyTest, ExistingFilesAndFoldersAreLeftAlone) {
  const std::string banks = Root() + "Banks/";
  fs::create_directories(banks + "Bank 1 (right click to change)");
  WriteFile(banks + "Bank 1 (right click to change)/2012-12.pdf", "statement");
  WriteFile(Root() + "Taxes", "a file where a folder would go");
  fs::permissions(banks, fs::perms::owner_all | fs::perms::group_read);

  // The file in place of "Taxes" keeps its three subfolders from being made.
  EXPECT_FALSE(CreateDefaultHierarchy(Root()));

  EXPECT_EQ(ReadFileBytes(banks + "Bank 1 (right click to change)/2012-12.pdf"), "statement");
  EXPECT_EQ(ReadFileBytes(Root() + "Taxes"), "a file where a folder would go");
  EXPECT_EQ(fs::status(banks).permissions() & fs::perms::all,
            fs::perms::owner_all | fs::perms::group_read);
  EXPECT_EQ(FoldersOnDisk().size(), 292u - 4u);
  EXPECT_TRUE(FoldersOnDisk().contains(kLoanStatements));
  EXPECT_TRUE(FoldersOnDisk().contains("Banks/Bank 3 (right click to change)/Cancelled Checks"));
}

TEST_F(DefaultHierarchyTest, RunningTwiceChangesNothing) {
  ASSERT_TRUE(CreateDefaultHierarchy(Root()));
  const std::string note = Root() + "Autos/Auto 1 (right click to change)/Receipts/tyres.png";
  WriteFile(note, "receipt");

  EXPECT_TRUE(CreateDefaultHierarchy(Root()));
  EXPECT_EQ(FoldersOnDisk().size(), 292u);
  EXPECT_EQ(ReadFileBytes(note), "receipt");
}

TEST_F(DefaultHierarchyTest, UnusableRootsCreateNothing) {
  const std::string blocker = dir_.path().toStdString() + "/Documents";
  WriteFile(blocker, "not a folder");
  EXPECT_FALSE(CreateDefaultHierarchy(blocker + "/Docketeer/"));
  EXPECT_EQ(ReadFileBytes(blocker), "not a folder");

  EXPECT_THROW(CreateDefaultHierarchy(dir_.path().toStdString() + "/Archive"), precondition_error);
  EXPECT_THROW(CreateDefaultHierarchy("relative/Archive/"), precondition_error);
  EXPECT_FALSE(fs::exists(dir_.path().toStdString() + "/Archive"));
}

}  // namespace
