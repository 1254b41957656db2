#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "LogCapture.h"
#include "core/FileFormatType.h"
#include "twain/GlobalMemory.h"
#include "writers/worker/ImageWriterWorkerDlg.h"

namespace {

namespace fs = std::filesystem;

// A 24-bit page of noise, which no encoder can squeeze below a few hundred
// kilobytes, so every format meets the size limit below.
TW_HANDLE MakeNoisePage(int width, int height) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  TW_HANDLE handle = GlobalAlloc(40 + stride * height);
  auto* dib = static_cast<std::uint8_t*>(GlobalLock(handle));
  std::memset(dib, 0, 40);
  const std::uint32_t header[] = {40, static_cast<std::uint32_t>(width),
                                  static_cast<std::uint32_t>(height)};
  std::memcpy(dib, header, sizeof header);
  dib[12] = 1;
  dib[14] = 24;
  std::uint32_t state = 12345;
  for (std::size_t i = 40; i < 40 + stride * height; ++i) {
    state = state * 1103515245u + 12345u;
    dib[i] = static_cast<std::uint8_t>(state >> 16);
  }
  GlobalUnlock(handle);
  return handle;
}

// Failed writes through the worker and the real writers: the caller gets the
// file and the system's or the library's words, and so does the debug log.
class WriterFailureReasonTest : public LogCapture {
 protected:
  void SetUp() override {
    LogCapture::SetUp();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    GlobalFree(page_);
    fs::remove_all(folder_);
    LogCapture::TearDown();
  }

  std::string SavePage(FileFormatType format, const std::string& name) {
    ImageWriterWorkerDlg worker(format);
    EXPECT_EQ(worker.Save(page_, folder_ + name, 300, false), S_OK) << worker.GetErrorText();
    EXPECT_EQ(worker.GetErrorText(), "");
    return folder_ + name;
  }

  // The reason must name `file`, say `words`, and reach the log as it is.
  void ExpectReason(const ImageWriterWorkerDlg& worker, const std::string& file,
                    const std::string& words) {
    const std::string reason = worker.GetErrorText();
    EXPECT_NE(reason.find(file), std::string::npos) << reason;
    EXPECT_NE(reason.find(words), std::string::npos) << reason;
    EXPECT_NE(LogText().find(reason), std::string::npos) << LogText();
  }

  std::string folder_ = (fs::temp_directory_path() / "reasons/").string();
  TW_HANDLE page_ = MakeNoisePage(400, 400);
};

TEST_F(WriterFailureReasonTest, AFullDiskIsNamedForEveryKindOfWrite) {
  const std::string jpegPage = SavePage(FileFormatType::Jpeg, "page.jpg");
  const std::string tiffPage = SavePage(FileFormatType::Tiff, "page.tif");
  const struct {
    FileFormatType format;
    std::vector<std::string> pages;  // empty: save the scanned page itself
    const char* output;
  } cases[] = {
      {FileFormatType::Bmp, {}, "Scan.bmp"},
      {FileFormatType::Png, {}, "Scan.png"},
      {FileFormatType::Tiff, {tiffPage, tiffPage}, "Combined.tif"},
      {FileFormatType::PdfCompressed, {jpegPage, jpegPage}, "Combined.pdf"},
  };
  // Roughly three times the log's size, far below any output's.
  const FileSizeLimit fullDisk(64 * 1024);
  ASSERT_TRUE(fullDisk.Active());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    ImageWriterWorkerDlg worker(c.format);
    const ResultCode result = c.pages.empty()
                                  ? worker.Save(page_, folder_ + c.output, 300, false)
                                  : worker.Save(c.pages, folder_ + c.output, 8500, 11000);
    EXPECT_EQ(result, E_FAIL);
    ExpectReason(worker, folder_ + c.output, "File too large");
    EXPECT_FALSE(fs::exists(folder_ + c.output));
  }
}

TEST_F(WriterFailureReasonTest, ADamagedPageIsNamedWithTheLibrarysWords) {
  const std::string good = SavePage(FileFormatType::Png, "good.png");
  const std::string bad = std::string(DOCKETEER_BAD_DATA) + "/bad-crc.png";
  const struct {
    FileFormatType format;
    const char* output;
    const char* words;  // what the library says about the page
  } cases[] = {
      {FileFormatType::Tiff, "Combined.tif", "CRC error"},
      {FileFormatType::PdfUncompressed, "Combined.pdf", "bad CRC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    ImageWriterWorkerDlg worker(c.format);
    EXPECT_EQ(worker.Save({good, bad}, folder_ + c.output, 8500, 11000), E_FAIL);
    ExpectReason(worker, bad, c.words);
    EXPECT_FALSE(fs::exists(folder_ + c.output));
  }
}

TEST_F(WriterFailureReasonTest, ASuccessClearsTheReasonOfTheLastFailure) {
  ImageWriterWorkerDlg worker(FileFormatType::Png);
  EXPECT_LT(worker.Save(page_, folder_ + "missing/Scan.png", 300, false), 0);
  ExpectReason(worker, folder_ + "missing/Scan.png", "No such file or directory");
  EXPECT_EQ(worker.Save(page_, folder_ + "Scan.png", 300, false), S_OK);
  EXPECT_EQ(worker.GetErrorText(), "");
}

}  // namespace
