#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/claims/ClaimedFiles.h"
#include "platform/claims/FileClaims.h"

namespace {

class FileClaimsTest : public ::testing::Test {
 protected:
  void TearDown() override { FileClaims::ForceLinkFallbackForTesting(false); }

  std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  QTemporaryDir dir_;
};

TEST_F(FileClaimsTest, ANameIsClaimedOnce) {
  FileIdentity made;
  EXPECT_EQ(FileClaims::CreateEmptyFile(Path("Doc.pdf"), &made), 0);
  EXPECT_EQ(FileClaims::CreateEmptyFile(Path("Doc.pdf"), nullptr), EEXIST);
  EXPECT_EQ(IdentityOf(Path("Doc.pdf")), made);
  EXPECT_EQ(FileClaims::CreateFolder(Path("Doc")), 0);
  EXPECT_EQ(FileClaims::CreateFolder(Path("Doc")), EEXIST);
  // Given back only while it is still what was made.
  Write("Doc.pdf", "someone else's");
  FileClaims::RemoveIfUnchanged(Path("Doc.pdf"), made);
  EXPECT_EQ(Read("Doc.pdf"), "someone else's");
}

TEST_F(FileClaimsTest, TheNoReplaceRenameNeverReplacesWithEitherMethod) {
  for (const bool fallback : {false, true}) {
    SCOPED_TRACE(fallback);
    FileClaims::ForceLinkFallbackForTesting(fallback);
    Write("new", "new");
    Write("taken", "kept");
    FileClaims::RenameMethod used{};
    EXPECT_EQ(FileClaims::RenameNoReplace(Path("new"), Path("taken"), &used), EEXIST);
    EXPECT_EQ(Read("taken"), "kept");
    EXPECT_EQ(FileClaims::RenameNoReplace(Path("new"), Path("free"), &used), 0);
    EXPECT_EQ(used, fallback ? FileClaims::RenameMethod::LinkThenUnlink
                             : FileClaims::RenameMethod::NoReplaceFlag);
    EXPECT_EQ(Read("free"), "new");
    EXPECT_FALSE(IdentityOf(Path("new")));
    std::remove(Path("free").c_str());
  }
}

TEST_F(FileClaimsTest, AClaimedNameIsReplacedOnlyWhileItHoldsWhatTheClaimExpects) {
  FileIdentity placeholder;
  ASSERT_EQ(FileClaims::CreateEmptyFile(Path("Doc.pdf"), &placeholder), 0);
  ClaimedFiles::Hold(Path("Doc.pdf"), placeholder);
  Write("finished", "document");
  EXPECT_EQ(ClaimedFiles::MoveIntoPlace(Path("finished"), Path("Doc.pdf")), 0);
  EXPECT_EQ(Read("Doc.pdf"), "document");
  // The placeholder is gone: a second document under the same claim is refused.
  Write("second", "second");
  EXPECT_EQ(ClaimedFiles::MoveIntoPlace(Path("second"), Path("Doc.pdf")), EEXIST);
  EXPECT_EQ(Read("Doc.pdf"), "document");
  // A claimed name that vanished is taken without replacing anything.
  std::remove(Path("Doc.pdf").c_str());
  EXPECT_EQ(ClaimedFiles::MoveIntoPlace(Path("second"), Path("Doc.pdf")), 0);
  ClaimedFiles::LetGo(Path("Doc.pdf"));
  // A name nobody claims is replaced as the caller asked.
  Write("third", "third");
  EXPECT_EQ(ClaimedFiles::MoveIntoPlace(Path("third"), Path("Doc.pdf")), 0);
  EXPECT_EQ(Read("Doc.pdf"), "third");
}

}  // namespace
