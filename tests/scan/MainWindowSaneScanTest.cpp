// Documents scanned through the real main window over our own manager library
// and SANE's test backend: real pages, a real feeder, real faults.
#include <sys/mount.h>
#include <unistd.h>

#include <QLineEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "SaneStartFaults.h"
#include "SaneTestConfig.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "core/Paths.h"
#include "dialogs/WritePermissionsDlg.h"
#include "platform/imaging/ImageFile.h"
#include "scan/ScanNextPageDlg.h"
#include "settings/AppSettings.h"
#include "settings/PerFolderPreferences.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDpi = 50;

class MainWindowSaneScanTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    // The fixture's fake stays loaded but unused: the window gets our manager.
    ::unsetenv("DOCKETEER_DSM");
    UseSaneTestBackend();
    FailSaneStartFrom(0, SANE_STATUS_GOOD);
    AppSettings settings;
    settings.SetResolution(kDpi);
    settings.SetUpdateDestinationAfterScanning(true);
  }
  void TearDown() override {
    FailSaneStartFrom(0, SANE_STATUS_GOOD);
    MainWindowFixture::TearDown();
  }

  // A folder of the archive with stored choices.
  static std::string Folder(const char* name, const FolderChoices& stored) {
    const std::string folder = DocumentsRoot() + name + "/";
    MakeFolder(folder);
    PerFolderPreferences(folder).WriteAll(stored);
    return folder;
  }
  void SetName(const char* name) { Find<QLineEdit>("destinationNameEdit")->setText(name); }
};

TEST_F(MainWindowSaneScanTest, AJamOnTheFourthSheetKeepsTheThreeBeforeIt) {
  SelectSaneTestFeeder();
  FolderChoices stored;
  stored.multiPage = true;
  stored.lastDestination = "Receipt 1";
  const std::string folder = Folder("Receipts", stored);
  AppSettings().SetFileFormatType(FileFormatType::Jpeg);
  FailSaneStartFrom(4, SANE_STATUS_JAMMED);
  StartWindow();
  AnswerNextPage({});
  ScriptedPrompt prompt;
  SelectInTree(folder);
  SetName("Receipt 2");
  PressScan();

  const std::string document = folder + "Receipt 2/";
  for (const char* page : {"Page 001.jpg", "Page 002.jpg", "Page 003.jpg"})
    EXPECT_TRUE(fs::exists(document + page)) << page;
  EXPECT_FALSE(fs::exists(document + "Page 004.jpg"));
  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked.front().id, PromptId::ScannerError);
}

TEST_F(MainWindowSaneScanTest, ARescannedPageReplacesItsPredecessorAndACancelLeavesNothing) {
  FolderChoices stored;
  stored.multiPage = true;
  const std::string folder = Folder("Letters", stored);
  AppSettings().SetFileFormatType(FileFormatType::Tiff);
  StartWindow();
  SelectInTree(folder);

  // Page 2 is scanned again: the question whether to replace it is answered Yes.
  AnswerNextPage({SCAN_NEXT_PAGE, RESCAN_LAST_PAGE, DONE_SCANNING});
  {
    ScriptedPrompt prompt({PromptAnswer::Yes});
    SetName("Letter A");
    PressScan();
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked.front().id, PromptId::OverwritePage);
  }
  EXPECT_EQ(ImageFrameCount(folder + "Letter A.tif"), 2);
  EXPECT_FALSE(fs::exists(folder + "Letter A"));

  // A cancelled second document, its pages deleted on request, leaves nothing.
  AnswerNextPage({SCAN_NEXT_PAGE, CANCEL_SCAN});
  {
    ScriptedPrompt prompt({PromptAnswer::Yes});
    SetName("Letter B");
    PressScan();
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked.front().id, PromptId::DeletePageFiles);
  }
  EXPECT_FALSE(fs::exists(folder + "Letter B.tif"));
  EXPECT_FALSE(fs::exists(folder + "Letter B"));
  EXPECT_EQ(ImageFrameCount(folder + "Letter A.tif"), 2);
}

TEST_F(MainWindowSaneScanTest, ACheckFolderCountsOnAfterEachCheck) {
  FolderChoices stored;
  stored.format = {RecurrenceType::Sequential, ItemType::Check, RelationType::NoRelation,
                   IndexType::Counter4};
  stored.lastDestination = "Check 1041";
  const std::string folder = Folder("Checks", stored);
  AppSettings().SetFileFormatType(FileFormatType::PdfCompressed);
  StartWindow();
  AnswerNextPage({});
  ScriptedPrompt prompt;
  SelectInTree(folder);
  EXPECT_EQ(Find<QLineEdit>("destinationNameEdit")->text(), "Check 1042");
  PressScan();
  PressScan();
  EXPECT_TRUE(fs::exists(folder + "Check 1042.pdf"));
  EXPECT_TRUE(fs::exists(folder + "Check 1043.pdf"));
  EXPECT_EQ(Find<QLineEdit>("destinationNameEdit")->text(), "Check 1044");
  EXPECT_EQ(PerFolderPreferences(folder).ReadAll().lastDestination, "Check 1043");
  EXPECT_TRUE(prompt.asked.isEmpty());
}

// A destination folder on a read-only file system: even root may not write
// there, so the refusal holds wherever the test runs.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& path) : path_(path) { MakeReadOnly(); }
  ~ReadOnlyFolder() {
    if (mounted_)
      ::umount2(path_.c_str(), MNT_DETACH);
    else
      fs::permissions(path_, fs::perms::owner_all);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool Holds() const { return ::access(path_.c_str(), W_OK) != 0; }

 private:
  void MakeReadOnly() {
    // The stored choices are copied into the file system before it turns read-only.
    const std::string saved = fs::path(path_).parent_path().string() + "/saved-defaults.ini";
    fs::copy_file(path_ + "/_defaults.ini", saved);
    if (::geteuid() == 0 && ::mount("docketeer-test", path_.c_str(), "tmpfs", 0, "size=1m") == 0) {
      mounted_ = true;
      fs::copy_file(saved, path_ + "/_defaults.ini");
      ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    } else {
      fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_exec);
    }
    fs::remove(saved);
  }

  std::string path_;
  bool mounted_ = false;
};

// A scan into a read-only folder writes nothing, so it saves no choices: the
// folder's series stays where it was and no write permission is asked for.
TEST_F(MainWindowSaneScanTest, AReadOnlyDestinationReportsTheFailedWriteAndKeepsItsChoices) {
  FolderChoices stored;
  stored.lastDestination = "Notice 1";
  const std::string folder = Folder("Notices", stored);
  ReadOnlyFolder readOnly(RemoveTrailingSeparator(folder));
  if (!readOnly.Holds())
    GTEST_SKIP() << "this user may write to any folder";
  AppSettings().SetFileFormatType(FileFormatType::Png);
  StartWindow();
  AnswerNextPage({});
  ScriptedPrompt prompt;
  SelectInTree(folder);
  auto askedForPermission = std::make_shared<bool>(false);
  WhenModalShownAs<WritePermissionsDlg>(
      [askedForPermission](WritePermissionsDlg& dialog) {
        *askedForPermission = true;
        dialog.reject();
      },
      3000);
  SetName("Notice 2");
  PressScan();
  EXPECT_FALSE(*askedForPermission);
  EXPECT_FALSE(fs::exists(folder + "Notice 2.png"));
  EXPECT_EQ(PerFolderPreferences(folder).ReadAll().lastDestination, "Notice 1");
  ASSERT_FALSE(prompt.asked.isEmpty());
  EXPECT_TRUE(prompt.asked.front().text.startsWith("There was an error saving the file."));
  EXPECT_TRUE(prompt.asked.front().detail.contains("Read-only file system") ||
              prompt.asked.front().detail.contains("Permission denied"))
      << prompt.asked.front().detail.toStdString();
}

}  // namespace
