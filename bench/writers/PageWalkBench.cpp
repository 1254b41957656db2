// Reading every page of a multi-page file in order, as expanding it does:
// time and peak memory for TIFFs and GIFs of 1,000 to 60,000 pages, which
// should grow in step with the page count.
//
//   page_walk_bench [pages...]    (default 1000 4000 16000 60000)

#include <gif_lib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/imaging/ImageFile.h"
#include "platform/imaging/TiffPageWriter.h"

namespace {

bool WriteTiff(const std::string& path, int pages) {
  TiffPageWriter writer;
  if (!IsOk(writer.Open(path, TiffCompression::None)))
    return false;
  Bitmap page;
  Bitmap::Create(64, 64, PixelFormat::Indexed1, page);
  page.SetPalette(GreyPalette(2));
  for (int i = 0; i < pages; ++i)
    if (!IsOk(writer.AddPage(page)))
      return false;
  return IsOk(writer.Close());
}

bool WriteGif(const std::string& path, int frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (gif == nullptr)
    return false;
  const GifColorType colours[] = {{0, 0, 0}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(2, colours);
  bool ok = EGifPutScreenDesc(gif, 64, 64, 1, 0, map) != GIF_ERROR;
  std::vector<GifPixelType> line(64, 1);
  for (int f = 0; ok && f < frames; ++f) {
    ok = EGifPutImageDesc(gif, 0, 0, 64, 64, false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < 64; ++y)
      ok = EGifPutLine(gif, line.data(), 64) != GIF_ERROR;
  }
  ok = EGifCloseFile(gif, &error) != GIF_ERROR && ok;
  GifFreeMapObject(map);
  return ok;
}

long PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

void Walk(const char* kind, const std::string& path, int pages) {
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<ImageFile> file;
  if (!IsOk(ImageFile::Open(path, file))) {
    std::printf("%s %d: cannot open\n", kind, pages);
    return;
  }
  int decoded = 0;
  for (int i = 0; i < file->FrameCount(); ++i) {
    Bitmap page;
    if (IsOk(file->SelectActiveFrame(i)) && IsOk(file->Decode(page)))
      ++decoded;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "%-4s %6d pages: %6d decoded in %7.3f s, %6.1f us a page, file read %.2f times, "
      "peak RSS %ld MB\n",
      kind, pages, decoded, seconds, seconds * 1e6 / pages,
      static_cast<double>(file->BytesRead()) / std::filesystem::file_size(path),
      PeakRssMegabytes());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i)
    counts.push_back(std::atoi(argv[i]));
  if (counts.empty())
    counts = {1000, 4000, 16000, 60000};
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("page_walk_bench." + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  for (const int pages : counts) {
    const std::string tiff = folder / "pages.tif";
    const std::string gif = folder / "pages.gif";
    if (WriteTiff(tiff, pages))
      Walk("TIFF", tiff, pages);
    if (WriteGif(gif, pages))
      Walk("GIF", gif, pages);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
