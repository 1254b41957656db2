#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <atomic>
#include <climits>
#include <filesystem>
#include <fstream>
#include <future>

#include "FakeDocumentWriter.h"
#include "core/ContractError.h"
#include "twain/GlobalMemory.h"
#include "writers/worker/ImageWriterWorkerDlg.h"
#include "writers/worker/ProgressDlg.h"

namespace {

namespace fs = std::filesystem;

// Hands out the scripted tick counts in turn: start, then end of each run.
ImageWriterWorkerDlg::TickSource ScriptedTicks(std::vector<std::uint32_t> ticks) {
  auto next = std::make_shared<std::atomic<std::size_t>>(0);
  return [ticks = std::move(ticks), next] { return ticks.at((*next)++ % ticks.size()); };
}

std::string MakeFile(const std::string& name, std::uintmax_t size) {
  const fs::path path = fs::temp_directory_path() / name;
  std::ofstream(path).put('x');
  fs::resize_file(path, size);  // sparse: big sizes cost no disk
  return path.string();
}

class ImageWriterWorkerDlgTest : public ::testing::Test {
 protected:
  ~ImageWriterWorkerDlgTest() override { GlobalFree(image_); }

  // `format` is the stored number, so tests can also give numbers beyond the enumeration.
  ImageWriterWorkerDlg MakeWorker(int format, std::vector<std::uint32_t> ticks = {1000, 1100}) {
    return ImageWriterWorkerDlg(static_cast<FileFormatType>(format), nullptr,
                                FakeDocumentWriter::Factory(journal_),
                                ScriptedTicks(std::move(ticks)));
  }

  WriterJournal journal_;
  TW_HANDLE image_ = GlobalAlloc(3000000);
};

TEST_F(ImageWriterWorkerDlgTest, ImageSaveRunsOneWriterOfItsFormatOnAnotherThread) {
  ImageWriterWorkerDlg worker = MakeWorker(1);
  EXPECT_EQ(worker.Save(image_, "/a/Page 001.jpg", 300, true), S_OK);
  EXPECT_EQ(journal_.calls,
            (std::vector<std::string>{"create 1", "save image set to /a/Page 001.jpg 300 rotated",
                                      "destroy"}));
  EXPECT_NE(journal_.threadId, std::this_thread::get_id());
}

TEST_F(ImageWriterWorkerDlgTest, FormatOutsideTheKnownOnesIsRefusedBeforeAnyThread) {
  EXPECT_THROW(MakeWorker(8), precondition_error);
  EXPECT_THROW(MakeWorker(-1), precondition_error);
  EXPECT_TRUE(journal_.calls.empty());
}

TEST_F(ImageWriterWorkerDlgTest, PageFileSaveHandsOverTheListAndPageSize) {
  ImageWriterWorkerDlg worker = MakeWorker(3);
  EXPECT_EQ(worker.Save({"/a/1.tif", "/a/2.tif"}, "/b/Doc.tif", 8500, 11000), S_OK);
  EXPECT_EQ(journal_.calls.at(1), "save pages /a/1.tif /a/2.tif to /b/Doc.tif 8500x11000");
}

TEST_F(ImageWriterWorkerDlgTest, ExpandReturnsTheFilesAndPageSizeTheWriterReported) {
  journal_.expandedFiles = {"/w/Page 000.jpg", "/w/Page 001.jpg"};
  journal_.expandedSize = {8264, 11694};
  ImageWriterWorkerDlg worker = MakeWorker(1);
  std::vector<std::string> files{"stale"};
  PageSize size;
  EXPECT_EQ(worker.Expand("/a/Scan.tif", "/w/", "Page %03d.jpg", files, size), S_OK);
  EXPECT_EQ(journal_.calls.at(1), "expand /a/Scan.tif into /w/Page %03d.jpg");
  EXPECT_EQ(files, journal_.expandedFiles);
  EXPECT_EQ(size.width, 8264);
  EXPECT_EQ(size.height, 11694);
}

TEST_F(ImageWriterWorkerDlgTest, WriterFailuresComeBackUnchanged) {
  for (ResultCode answer : {E_FAIL, E_INVALIDARG, E_NOTIMPL, S_OK}) {
    journal_.answer = answer;
    ImageWriterWorkerDlg worker = MakeWorker(5);
    EXPECT_EQ(worker.Save(image_, "/a/x.png", 200, false), answer);
  }
}

TEST_F(ImageWriterWorkerDlgTest, TheWritersReasonIsKeptAndAMissingOneIsSaid) {
  ImageWriterWorkerDlg worker = MakeWorker(5);
  journal_.answer = E_FAIL;
  journal_.reason = "/a/x.png: write failed (No space left on device)";
  EXPECT_EQ(worker.Save(image_, "/a/x.png", 200, false), E_FAIL);
  EXPECT_EQ(worker.GetErrorText(), journal_.reason);
  journal_.reason.clear();
  EXPECT_EQ(worker.Save(image_, "/a/y.png", 200, false), E_FAIL);
  EXPECT_EQ(worker.GetErrorText(), "/a/y.png: the writer gave no reason");
  journal_.answer = S_OK;
  EXPECT_EQ(worker.Save(image_, "/a/z.png", 200, false), S_OK);
  EXPECT_EQ(worker.GetErrorText(), "");
}

TEST_F(ImageWriterWorkerDlgTest, ProgressDialogShowsTheTextWhileTheWriterRuns) {
  std::promise<void> looked;
  journal_.duringOperation = [&] { looked.get_future().wait(); };
  QString shownTitle;
  bool cancelEnabled = true;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<ProgressDlg*>(QApplication::activeModalWidget())) {
      shownTitle = dialog->windowTitle();
      cancelEnabled = dialog->findChild<QWidget*>("cancelButton")->isEnabled();
    }
    looked.set_value();
  });
  ImageWriterWorkerDlg worker = MakeWorker(1);
  worker.SetProgressText("Saving...");
  EXPECT_EQ(worker.Save(image_, "/a/x.jpg", 300, false), S_OK);
  EXPECT_EQ(shownTitle, "Saving...");
  EXPECT_FALSE(cancelEnabled);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ImageWriterWorkerDlgTest, ASecondOperationForgetsTheInputsOfTheFirst) {
  ImageWriterWorkerDlg worker = MakeWorker(3);
  ASSERT_EQ(worker.Save(image_, "/a/x.tif", 300, false), S_OK);
  EXPECT_EQ(worker.InputBytes(), 3000000u);
  const std::string page = MakeFile("page.tif", 5000);
  ASSERT_EQ(worker.Save({page}, "/a/doc.tif", 1, 1), S_OK);
  EXPECT_EQ(journal_.calls.at(4), "save pages " + page + " to /a/doc.tif 1x1");
  EXPECT_EQ(worker.InputBytes(), 5000u);
}

struct DurationCase {
  const char* name;
  std::vector<std::uintmax_t> pageFileSizes;  // empty: an image save of 3000000 bytes
  unsigned int expectedRate;
  int expectedDuration;
};

class ExpectedDurationTest : public ImageWriterWorkerDlgTest,
                             public ::testing::WithParamInterface<DurationCase> {};

TEST_P(ExpectedDurationTest, FollowsInputSizeAndRate) {
  const DurationCase& c = GetParam();
  ImageWriterWorkerDlg worker = MakeWorker(3);
  if (c.pageFileSizes.empty()) {
    ASSERT_EQ(worker.Save(image_, "/a/x.tif", 300, false), S_OK);
  } else {
    std::vector<std::string> files;
    for (std::uintmax_t size : c.pageFileSizes)
      files.push_back(size == 0 ? "/no/such/page.tif"
                                : MakeFile("p" + std::to_string(files.size()), size));
    ASSERT_EQ(worker.Save(files, "/a/doc.tif", 1, 1), S_OK);
  }
  worker.SetExpectedRate(c.expectedRate);
  EXPECT_EQ(worker.ExpectedDuration(), c.expectedDuration);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpectedDurationTest,
    ::testing::Values(DurationCase{"Image", {}, 1000000, 3000},
                      DurationCase{"RateZeroCountsAsOne", {}, 0, INT_MAX},
                      DurationCase{"MissingPageFileCountsZero", {200000, 0, 300000}, 100000, 5000},
                      DurationCase{"AllPagesMissingAssumesAMegabyte", {0}, 100000, 10000},
                      DurationCase{
                          "SizesBeyond32Bits", {3000000000, 3000000000}, 1000000, 6000000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageWriterWorkerDlgTest, ExpandWithoutInputSizeAssumesAMegabyte) {
  ImageWriterWorkerDlg worker = MakeWorker(1);
  std::vector<std::string> files;
  PageSize size;
  ASSERT_EQ(worker.Expand("/a/x.tif", "/w/", "%d", files, size), S_OK);
  EXPECT_EQ(worker.InputBytes(), 1000000u);
}

struct RateCase {
  const char* name;
  std::uint32_t startTicks;
  std::uint32_t endTicks;
  unsigned int measuredRate;
};

class MeasuredRateTest : public ImageWriterWorkerDlgTest,
                         public ::testing::WithParamInterface<RateCase> {};

TEST_P(MeasuredRateTest, DividesTheImageSizeByTheElapsedTime) {
  const RateCase& c = GetParam();
  ImageWriterWorkerDlg worker = MakeWorker(1, {c.startTicks, c.endTicks});
  ASSERT_EQ(worker.Save(image_, "/a/x.jpg", 300, false), S_OK);
  EXPECT_EQ(worker.MeasuredRate(), c.measuredRate);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasuredRateTest,
    ::testing::Values(RateCase{"ThreeMillisecondsCountAsFifteen", 5000, 5003, 200000000},
                      RateCase{"NoTimeAtAll", 5000, 5000, 200000000},
                      RateCase{"Tenth", 5000, 5100, 30000000},
                      RateCase{"TickCountWrappedDuringTheRun", 0xFFFFFFF0u, 0x50u, 31250000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageWriterWorkerDlgTest, RatesBeyondWhatTheSettingsHoldAreCapped) {
  const std::string big = MakeFile("big.tif", 6000000000);
  ImageWriterWorkerDlg worker = MakeWorker(3, {0, 3});
  ASSERT_EQ(worker.Save({big}, "/a/doc.tif", 1, 1), S_OK);
  EXPECT_EQ(worker.MeasuredRate(), static_cast<unsigned int>(INT_MAX));
}

}  // namespace
