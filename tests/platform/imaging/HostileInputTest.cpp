#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "TestGif.h"
#include "TestImages.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/JpegCodec.h"
#include "platform/imaging/PngLayout.h"
#include "platform/imaging/TiffPageWriter.h"

using namespace test_images;

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::string Encoded(const QTemporaryDir& folder, const char* name, ImageFormat format, int width,
                    int height, PixelFormat pixels = PixelFormat::Rgb24) {
  const std::string path = folder.filePath(name).toStdString();
  const Bitmap bitmap = MakeBitmap(width, height, pixels, [](int x, int y) {
    return static_cast<std::uint32_t>(x * 7 + y * 13);
  });
  EXPECT_TRUE(IsOk(EncodeImageFile(bitmap, format, path)));
  return path;
}

std::string MultiPageTiff(const QTemporaryDir& folder, const char* name, int pages) {
  const std::string path = folder.filePath(name).toStdString();
  TiffPageWriter writer;
  EXPECT_TRUE(IsOk(writer.Open(path, TiffCompression::None)));
  for (int i = 0; i < pages; ++i)
    writer.AddPage(MakeBitmap(16, 8, PixelFormat::Indexed1, [i](int x, int y) {
      return static_cast<std::uint32_t>(x + y + i) & 1;
    }));
  EXPECT_TRUE(IsOk(writer.Close()));
  return path;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    v[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
}

long PeakRssKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Pages and frames read in order cost one pass through the file, not a walk
// from the top for every page.
TEST(HostileInput, PagesInOrderReadTheFileOnce) {
  QTemporaryDir folder;
  const std::string tiff = MultiPageTiff(folder, "pages.tif", 400);
  const std::string gif = folder.filePath("frames.gif").toStdString();
  ASSERT_TRUE(WriteFramesGif(gif, 400, 8, 8));
  for (const std::string& path : {tiff, gif}) {
    SCOPED_TRACE(path);
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::unique_ptr<ImageFile> file;
    ASSERT_TRUE(IsOk(ImageFile::OpenMemory(bytes.data(), bytes.size(), file)));
    ASSERT_EQ(file->FrameCount(), 400);
    for (int i = 0; i < file->FrameCount(); ++i) {
      Bitmap page;
      ASSERT_TRUE(IsOk(file->SelectActiveFrame(i)));
      ASSERT_TRUE(IsOk(file->Decode(page))) << i;
    }
    EXPECT_LT(file->BytesRead(), 4 * bytes.size());
    // Going back still works, from the top.
    Bitmap first;
    ASSERT_TRUE(IsOk(file->SelectActiveFrame(0)));
    EXPECT_TRUE(IsOk(file->Decode(first)));
  }
}

// Wherever a multi-page TIFF is cut, reading all its pages meets the loss:
// it is never taken for a whole file of fewer pages. (The last 16 bytes are
// the last page's resolution, which libtiff drops as a damaged tag.)
TEST(HostileInput, EveryCutOfAMultiPageTiffIsNoticed) {
  QTemporaryDir folder;
  const std::vector<std::uint8_t> whole = ReadBytes(MultiPageTiff(folder, "pages.tif", 3));
  for (std::size_t cut = 8; cut < whole.size() - 16; cut += 3) {
    std::unique_ptr<ImageFile> file;
    if (!IsOk(ImageFile::OpenMemory(whole.data(), cut, file)))
      continue;
    bool failed = false;
    for (int i = 0; i < file->FrameCount() && !failed; ++i) {
      Bitmap page;
      ClearImagingErrorText();
      failed = !IsOk(file->SelectActiveFrame(i)) || !IsOk(file->Decode(page));
      if (failed && file->FrameCount() > 1 && i > 0)
        EXPECT_NE(ImagingErrorText().find("page " + std::to_string(i + 1)), std::string::npos)
            << "cut at " << cut << ": " << ImagingErrorText();
    }
    EXPECT_TRUE(failed) << "cut at " << cut << " of " << whole.size() << " reads as "
                        << file->FrameCount() << " whole pages";
  }
}

// Tiny files that declare pages no scanner makes are refused before their
// pixels are allocated, counting what the decoder needs besides the pixels.
TEST(HostileInput, DecompressionBombsAreRefusedBeforeAllocating) {
  QTemporaryDir folder;
  std::vector<std::string> bombs;

  // 16,383 × 16,383 16-bit RGB in one strip: libtiff's RGBA reader route.
  bombs.push_back(folder.filePath("bomb.tif").toStdString());
  TIFF* tif = TIFFOpen(bombs.back().c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 16383u);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 16383u);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16383u);
  std::uint8_t junk[64] = {0x78, 0x9c};
  TIFFWriteRawStrip(tif, 0, junk, sizeof junk);
  TIFFClose(tif);

  // 30,000 × 30,000 8-bit grey, which is read row by row when combined.
  const std::string grey = folder.filePath("grey-bomb.tif").toStdString();
  bombs.push_back(grey);
  tif = TIFFOpen(grey.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 30000u);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 30000u);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 30000u);
  TIFFWriteRawStrip(tif, 0, junk, sizeof junk);
  TIFFClose(tif);

  // A small progressive JPEG whose frame header claims 16,000 × 16,000.
  std::vector<std::uint8_t> jpeg =
      ReadBytes(Encoded(folder, "small.jpg", ImageFormat::Jpeg, 16, 16));
  bool patched = false;
  for (std::size_t i = 2; i + 9 < jpeg.size() && !patched; ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 1] = 0xC2;  // progressive
      PutBig(jpeg, i + 5, 16000, 2);
      PutBig(jpeg, i + 7, 16000, 2);
      patched = true;
    }
  ASSERT_TRUE(patched);
  bombs.push_back(folder.filePath("bomb.jpg").toStdString());
  WriteBytes(bombs.back(), jpeg);

  // A small PNG whose header claims 28,000 × 28,000 (CRC mended).
  std::vector<std::uint8_t> png = ReadBytes(Encoded(folder, "small.png", ImageFormat::Png, 16, 16));
  PutBig(png, 16, 28000, 4);
  PutBig(png, 20, 28000, 4);
  PutBig(png, 29, Crc32(png.data() + 12, 17), 4);
  bombs.push_back(folder.filePath("bomb.png").toStdString());
  WriteBytes(bombs.back(), png);

  const long before = PeakRssKilobytes();
  for (const std::string& bomb : bombs) {
    SCOPED_TRACE(bomb);
    ClearImagingErrorText();
    Bitmap page;
    EXPECT_EQ(DecodeImageFile(bomb, page), ImagingStatus::TooLarge);
    EXPECT_NE(ImagingErrorText().find(" MB "), std::string::npos) << ImagingErrorText();
  }
  // Combining reads the grey page a band at a time, and still refuses it.
  TiffPageWriter combined;
  ASSERT_TRUE(
      IsOk(combined.Open(folder.filePath("combined.tif").toStdString(), TiffCompression::None)));
  EXPECT_EQ(combined.AddPageFile(grey), ImagingStatus::TooLarge);
  // The chunk walk that clears PNG data to be copied into a PDF refuses it as well.
  PngLayout layout;
  EXPECT_EQ(ReadPngLayout(bombs.back(), layout), ImagingStatus::TooLarge);
  EXPECT_LT(PeakRssKilobytes() - before, 200 * 1024);
}

TEST(HostileInput, JpegStreamsMustBeWhole) {
  QTemporaryDir folder;
  const std::vector<std::uint8_t> whole =
      ReadBytes(Encoded(folder, "page.jpg", ImageFormat::Jpeg, 40, 30));
  EXPECT_TRUE(IsOk(CheckJpegData(whole.data(), whole.size())));
  const struct {
    const char* name;
    std::size_t keep;  // bytes kept from the front
  } cuts[] = {
      {"empty", 0},
      {"start marker only", 2},
      {"inside the headers", 20},
      {"inside the scan", whole.size() / 2},
      {"without the end marker", whole.size() - 2},
  };
  for (const auto& cut : cuts)
    EXPECT_EQ(CheckJpegData(whole.data(), cut.keep), ImagingStatus::CorruptData) << cut.name;
  std::vector<std::uint8_t> notJpeg = whole;
  notJpeg[0] = 0;
  EXPECT_EQ(CheckJpegData(notJpeg.data(), notJpeg.size()), ImagingStatus::CorruptData);
}

// A FIFO named like a page would block an open for reading until someone
// writes to it; it must be refused at once.
TEST(HostileInput, AFifoIsRefusedWithoutWaiting) {
  QTemporaryDir folder;
  const std::string fifo = folder.filePath("Page 001.jpg").toStdString();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto decoding = std::async(std::launch::async, [&] {
    Bitmap page;
    const ImagingStatus decoded = DecodeImageFile(fifo, page);
    PngLayout layout;
    const ImagingStatus checked = ReadPngLayout(fifo, layout);
    return std::make_pair(decoded, checked);
  });
  if (decoding.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    // Let a blocked open go so that the test ends; it has failed all the same.
    for (int i = 0; i < 2; ++i) {
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0)
        ::close(fd);
      decoding.wait_for(std::chrono::seconds(1));
    }
    ADD_FAILURE() << "opening a FIFO waited";
  }
  const auto [decoded, checked] = decoding.get();
  EXPECT_EQ(decoded, ImagingStatus::ReadFailed);
  EXPECT_EQ(checked, ImagingStatus::ReadFailed);
}

}  // namespace
