// The workflow over our own manager library and SANE's test backend: real
// pages of real sizes, written by the real writers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "FakeHost.h"
#include "SaneTestConfig.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "platform/imaging/ImageFile.h"
#include "scan/ScanNextPageDlg.h"
#include "scan/WindowSeams.h"
#include "twain/SourceEventFilter.h"
#include "twain/TwainManager.h"
#include "workflow/DocumentPaths.h"

namespace {

constexpr int kDpi = 50;

// The first media box of the PDF, blanks removed: "[00612792]" for a Letter page.
std::string MediaBox(const std::string& pdf) {
  const std::string tag = "/MediaBox";
  const std::size_t at = pdf.find(tag);
  if (at == std::string::npos)
    return {};
  std::string box = pdf.substr(at + tag.size(), pdf.find(']', at) - at - tag.size() + 1);
  std::erase(box, ' ');
  return box;
}

class ScanWorkflowSaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseSaneTestBackend();
    ASSERT_TRUE(root_.isValid());
    QCoreApplication::instance()->installEventFilter(&filter_);
    ASSERT_TRUE(
        manager_.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &window_));
    host_.choices.destinationFolder = Folder();
    host_.choices.documentSize = DocumentSize("Letter", 8500, 11000);
    host_.choices.resolution = kDpi;
    ScanWorkflowSeams seams = WindowWorkflowSeams(nullptr, prompt_);
    seams.chooseNextPage = [this](int) {
      const int choice = choices_.empty() ? static_cast<int>(DONE_SCANNING) : choices_.front();
      if (!choices_.empty())
        choices_.pop_front();
      return choice;
    };
    seams.viewFile = [](const std::string&, bool) {};
    workflow_ = std::make_unique<ScanWorkflow>(host_, manager_, seams);
  }
  void TearDown() override { workflow_.reset(); }

  std::string Folder() const { return root_.path().toStdString() + "/"; }
  std::string PathOf(const std::string& name) const { return Folder() + name; }
  bool Exists(const std::string& name) const {
    return QFileInfo::exists(QString::fromStdString(PathOf(name)));
  }

  // Starts a document and waits until its last page scan has ended.
  void ScanDocument() {
    workflow_->OnScanClicked();
    QElapsedTimer timer;
    timer.start();
    while (workflow_->IsScanning() && timer.elapsed() < 90000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    ASSERT_FALSE(workflow_->IsScanning());
  }

  QTemporaryDir root_;
  FakeHost host_;
  QObject window_;  // the source's events are posted here
  TwainManager manager_;
  SourceEventFilter filter_{manager_};
  std::unique_ptr<ScanWorkflow> workflow_;
  std::deque<int> choices_;
  ScriptedPrompt prompt_;
};

TEST_F(ScanWorkflowSaneTest, EachFormatHoldsAPageOfTheScannedSize) {
  const char* names[] = {"bmp", "jpg", "gif", "tif", "lzw.tif", "png", "jpeg.pdf", "png.pdf"};
  for (int format = 0; format < 8; ++format) {
    for (bool rotate : {false, true}) {
      SCOPED_TRACE(std::string(names[format]) + (rotate ? " rotated" : ""));
      host_.nameText = std::string(rotate ? "turned " : "") + names[format];
      host_.choices.fileFormatType = static_cast<FileFormatType>(format);
      host_.choices.rotateNinety = rotate;
      ScanDocument();
      const int width = rotate ? 11 * kDpi : 85 * kDpi / 10;
      const int height = rotate ? 85 * kDpi / 10 : 11 * kDpi;
      const std::string path = PathOf(
          host_.nameText + "." + DocumentPaths::GetExtension(static_cast<FileFormatType>(format)));
      if (format >= 6) {
        const std::string pdf = ReadFileBytes(path);
        EXPECT_EQ(PdfPageCount(path), 1);
        EXPECT_EQ(MediaBox(pdf), rotate ? "[00792612]" : "[00612792]");
        EXPECT_FALSE(Exists(host_.nameText));
      } else {
        std::unique_ptr<ImageFile> file;
        ASSERT_TRUE(IsOk(ImageFile::Open(path, file))) << path;
        EXPECT_NEAR(file->Width(), width, 1);
        EXPECT_NEAR(file->Height(), height, 1);
      }
    }
  }
  EXPECT_TRUE(prompt_.asked.isEmpty());
}

TEST_F(ScanWorkflowSaneTest, ThreeJpegPagesStayAsAFolderAndThreePdfPagesBecomeOneFile) {
  host_.choices.isMultiPageDocument = true;
  host_.choices.fileFormatType = static_cast<FileFormatType>(1);
  choices_ = {SCAN_NEXT_PAGE, SCAN_NEXT_PAGE, DONE_SCANNING};
  ScanDocument();
  for (const char* page : {"Doc/Page 001.jpg", "Doc/Page 002.jpg", "Doc/Page 003.jpg"})
    EXPECT_TRUE(Exists(page)) << page;
  EXPECT_EQ(workflow_->PageNumber(), 4);

  host_.nameText = "Statement";
  host_.choices.fileFormatType = static_cast<FileFormatType>(6);
  choices_ = {SCAN_NEXT_PAGE, SCAN_NEXT_PAGE, DONE_SCANNING};
  ScanDocument();
  EXPECT_EQ(PdfPageCount(PathOf("Statement.pdf")), 3);
  EXPECT_FALSE(Exists("Statement"));
}

TEST_F(ScanWorkflowSaneTest, AFeederBatchOfTenBecomesOnePdf) {
  SelectSaneTestFeeder();
  // The source is chosen again so that it reads the feeder setting.
  manager_.Uninitialize();
  ASSERT_TRUE(
      manager_.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &window_));
  host_.choices.isMultiPageDocument = true;
  host_.choices.fileFormatType = static_cast<FileFormatType>(6);
  choices_ = {DONE_SCANNING};
  ScanDocument();
  EXPECT_EQ(PdfPageCount(PathOf("Doc.pdf")), 10);
  EXPECT_FALSE(Exists("Doc"));
}

}  // namespace
