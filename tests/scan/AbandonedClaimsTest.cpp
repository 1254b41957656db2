// Claims beside a document: a series name is held whatever the format, and
// the claim of a scan whose process is gone is taken back by the next one.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "naming/FileNameFormat.h"
#include "platform/claims/ClaimRecord.h"
#include "workflow/AbandonedClaims.h"
#include "workflow/DocumentClaim.h"
#include "workflow/SeriesStem.h"

namespace fs = std::filesystem;

namespace {

const FileNameFormat kChecks{RecurrenceType::Sequential, ItemType::Check,
                             RelationType::BlankRelation, IndexType::Counter3};

class AbandonedClaimsTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.path().toStdString() + "/"; }
  void Put(const std::string& name, const std::string& bytes = "") const {
    std::ofstream(Folder() + name, std::ios::binary) << bytes;
  }
  bool Exists(const std::string& name) const { return fs::exists(Folder() + name); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  ScanChoices Choices(const std::string& name, FileFormatType format, bool series) const {
    ScanChoices choices;
    choices.destinationFolder = Folder();
    choices.destinationName = name;
    choices.fileFormatType = format;
    if (series)
      choices.nameSeries = kChecks;
    return choices;
  }
  static bool Never(const std::string&) { return false; }

  QTemporaryDir dir_;
};

TEST_F(AbandonedClaimsTest, TheOwnerRecordReadsBackAndGarbageIsNotOne) {
  ClaimOwner owner = ThisProcess();
  owner.finalFile = "Check 001.pdf";
  owner.pageFolder = "Check 001";
  EXPECT_EQ(ParseClaimOwner(FormatClaimOwner(owner)), owner);
  const std::string cutShort = FormatClaimOwner(owner).substr(0, 20);
  for (const std::string& garbage : std::vector<std::string>{
           "", "pid=12\n", "host=a\nboot=b\npid=x\nstart=1\nfile=\nfolder=\n", cutShort})
    EXPECT_FALSE(ParseClaimOwner(garbage)) << garbage;
}

TEST_F(AbandonedClaimsTest, AnOwnerIsGoneOnlyWhenItRanHereAndIsNoMore) {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const ClaimOwner self = ThisProcess();
  const struct {
    const char* name;
    ClaimOwner owner;
    bool gone;
  } cases[] = {
      {"this process", self, false},
      {"a process that ended",
       [&] {
         ClaimOwner o = self;
         o.pid = child;
         return o;
       }(),
       true},
      {"another boot",
       [&] {
         ClaimOwner o = self;
         o.bootId = "another";
         return o;
       }(),
       true},
      {"its pid used again",
       [&] {
         ClaimOwner o = self;
         ++o.startTicks;
         return o;
       }(),
       true},
      {"another computer",
       [&] {
         ClaimOwner o = self;
         o.host += "-elsewhere";
         o.pid = child;
         return o;
       }(),
       false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsOwnerGone(c.owner), c.gone) << c.name;
}

// Each row leaves a claim on "Check 001" as a killed scan would, then takes back.
TEST_F(AbandonedClaimsTest, TheClaimsOfGoneScansAreTakenBackAndTheirPagesKept) {
  const struct {
    const char* name;
    bool gone;
    const char* placeholder;  // nullptr: none
    bool pages;
    std::vector<std::string> left;  // the entries after taking back
    bool told;
  } cases[] = {
      {"empty claim", true, "", false, {}, false},
      {"pages written", true, "", true, {"Check 001"}, true},
      {"document published", true, "%PDF", false, {"Check 001.pdf"}, false},
      {"scan in progress",
       false,
       "",
       true,
       {".Check 001.claim", "Check 001", "Check 001.pdf"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(Folder());
    fs::create_directory(Folder());
    ClaimOwner owner = ThisProcess();
    if (c.gone)
      owner.bootId = "a boot before";
    owner.finalFile = "Check 001.pdf";
    owner.pageFolder = "Check 001";
    ASSERT_EQ(ClaimRecords::Create(AbandonedClaims::RecordPath(Folder(), "Check 001"), owner), 0);
    Put("Check 001.pdf", c.placeholder);
    fs::create_directory(Folder() + "Check 001");
    if (c.pages)
      Put("Check 001/Page 001.jpg", "page");
    const std::vector<std::string> told = AbandonedClaims::TakeBack(Folder());
    EXPECT_EQ(Entries(), c.left);
    EXPECT_EQ(told, c.told ? std::vector<std::string>{Folder() + "Check 001/"}
                           : std::vector<std::string>{});
  }
}

TEST_F(AbandonedClaimsTest, ASeriesNameIsHeldWhateverTheFormatAndAGivenOneIsNot) {
  DocumentClaim pdf, tiff, jpeg, given;
  ScanChoices first = Choices("Check 001", FileFormatType::PdfCompressed, true);
  ScanChoices second = Choices("Check 001", FileFormatType::Tiff, true);
  ScanChoices third = Choices("Check 001", FileFormatType::Jpeg, true);
  ASSERT_EQ(pdf.ClaimName(first, Never), DocumentClaim::Outcome::Claimed);
  ASSERT_EQ(tiff.ClaimName(second, Never), DocumentClaim::Outcome::Claimed);
  Put("Check 003.png", "earlier");  // another program's picture holds its number too
  ASSERT_EQ(jpeg.ClaimName(third, Never), DocumentClaim::Outcome::Claimed);
  EXPECT_EQ(second.destinationName, "Check 002");
  EXPECT_EQ(third.destinationName, "Check 004");
  EXPECT_EQ(FirstFreeInSeries(Folder(), kChecks, "Check 001"), "Check 005");
  // A name the user gave is refused by its own file only, as before.
  ScanChoices typed = Choices("Check 001", FileFormatType::Jpeg, false);
  EXPECT_EQ(given.ClaimName(typed, Never), DocumentClaim::Outcome::Claimed);
  for (DocumentClaim* claim : {&pdf, &tiff, &jpeg, &given})
    claim->Release();
  EXPECT_EQ(Entries(), std::vector<std::string>{"Check 003.png"});
}

TEST_F(AbandonedClaimsTest, TheNextScanTakesBackTheNameOfAKilledOne) {
  ClaimOwner killed = ThisProcess();
  killed.bootId = "a boot before";
  killed.finalFile = "Check 001.pdf";
  killed.pageFolder = "Check 001";
  ASSERT_EQ(ClaimRecords::Create(AbandonedClaims::RecordPath(Folder(), "Check 001"), killed), 0);
  Put("Check 001.pdf");
  fs::create_directory(Folder() + "Check 001");
  DocumentClaim claim;
  ScanChoices choices = Choices("Check 001", FileFormatType::PdfCompressed, true);
  ASSERT_EQ(claim.ClaimName(choices, Never), DocumentClaim::Outcome::Claimed);
  EXPECT_EQ(choices.destinationName, "Check 001");
  EXPECT_TRUE(claim.LeftPageFolders().empty());
  claim.Release();
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
