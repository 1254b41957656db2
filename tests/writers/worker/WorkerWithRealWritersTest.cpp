#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "core/FileFormatType.h"
#include "platform/imaging/ImageFile.h"
#include "twain/GlobalMemory.h"
#include "writers/worker/ImageWriterWorkerDlg.h"

namespace {

namespace fs = std::filesystem;

void PutU32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A 24-bit bottom-up scanner page of width x height at 300 dpi.
TW_HANDLE MakeColourDib(int width, int height) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  TW_HANDLE handle = GlobalAlloc(40 + stride * height);
  auto* dib = static_cast<std::uint8_t*>(GlobalLock(handle));
  PutU32(dib, 40);
  PutU32(dib + 4, width);
  PutU32(dib + 8, height);
  dib[12] = 1;   // planes
  dib[14] = 24;  // bits per pixel
  PutU32(dib + 24, 11811);
  PutU32(dib + 28, 11811);
  std::memset(dib + 40, 0x80, stride * height);
  GlobalUnlock(handle);
  return handle;
}

struct FileInfo {
  int frames = 0;
  int width = 0;
  int height = 0;
};

FileInfo Inspect(const std::string& path) {
  std::unique_ptr<ImageFile> file;
  if (!IsOk(ImageFile::Open(path, file)))
    return {};
  return {file->FrameCount(), file->Width(), file->Height()};
}

class WorkerWithRealWritersTest : public ::testing::Test {
 protected:
  WorkerWithRealWritersTest() { fs::create_directories(folder_); }
  ~WorkerWithRealWritersTest() override { GlobalFree(page_); }

  std::string SavePage(FileFormatType format, const std::string& name) {
    ImageWriterWorkerDlg worker(format);
    worker.SetProgressText("Saving...");
    EXPECT_EQ(worker.Save(page_, folder_ + name, 300, false), S_OK);
    return folder_ + name;
  }

  std::string folder_ = (fs::temp_directory_path() / "archive/").string();
  TW_HANDLE page_ = MakeColourDib(30, 20);
};

TEST_F(WorkerWithRealWritersTest, SavesARotatedPage) {
  ImageWriterWorkerDlg worker(FileFormatType::Png);
  ASSERT_EQ(worker.Save(page_, folder_ + "Page 001.png", 300, true), S_OK);
  const FileInfo info = Inspect(folder_ + "Page 001.png");
  EXPECT_EQ(info.width, 20);
  EXPECT_EQ(info.height, 30);
  EXPECT_GT(worker.MeasuredRate(), 0u);
}

TEST_F(WorkerWithRealWritersTest, AFailedSaveIsReportedAndLeavesNothing) {
  ImageWriterWorkerDlg worker(FileFormatType::Jpeg);
  EXPECT_LT(worker.Save(page_, folder_ + "missing/Page 001.jpg", 300, false), 0);
  EXPECT_FALSE(fs::exists(folder_ + "missing"));
}

TEST_F(WorkerWithRealWritersTest, CombinesAndExpandsAgain) {
  const std::vector<std::string> pages{SavePage(FileFormatType::Tiff, "1.tif"),
                                       SavePage(FileFormatType::Tiff, "2.tif")};
  ImageWriterWorkerDlg combine(FileFormatType::TiffLzw);
  combine.SetProgressText("Combining...");
  ASSERT_EQ(combine.Save(pages, folder_ + "Doc.tif", 8500, 11000), S_OK);
  EXPECT_EQ(Inspect(folder_ + "Doc.tif").frames, 2);
  EXPECT_EQ(combine.InputBytes(), fs::file_size(pages[0]) + fs::file_size(pages[1]));

  ImageWriterWorkerDlg expand(FileFormatType::Jpeg);
  std::vector<std::string> files;
  PageSize size;
  fs::create_directories(folder_ + "pages");
  ASSERT_EQ(expand.Expand(folder_ + "Doc.tif", folder_ + "pages/", "Page %03d.jpg", files, size),
            S_OK);
  EXPECT_EQ(files, (std::vector<std::string>{folder_ + "pages/Page 000.jpg",
                                             folder_ + "pages/Page 001.jpg"}));
  EXPECT_EQ(size.width, 100);  // 30 pixels at 300 dpi
  EXPECT_EQ(size.height, 66);
}

}  // namespace
