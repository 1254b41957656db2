// Runs one writer operation the way the program does, for compare_writers.py
// to time side by side with the standard tools:
//   docketeer_write_bench save <format 0..5> <page.bmp> <output>
//   docketeer_write_bench combine <format 3|4|6|7> <output> <page files...>
//   docketeer_write_bench convert <format 6|7> <source.tif> <output.pdf>
// The page is read from a BMP file into a global memory block, as the scanner
// hands it over.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/FileFormatType.h"
#include "platform/imaging/PageBufferMemory.h"
#include "twain/GlobalMemory.h"
#include "writers/CreateDocumentWriter.h"

namespace {

constexpr std::size_t kBmpFileHeaderSize = 14;

TW_HANDLE LoadDib(const char* path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  const auto size = static_cast<std::size_t>(file.tellg());
  if (!file || size <= kBmpFileHeaderSize)
    return nullptr;
  TW_HANDLE handle = GlobalAlloc(size - kBmpFileHeaderSize);
  file.seekg(kBmpFileHeaderSize);
  file.read(static_cast<char*>(GlobalLock(handle)),
            static_cast<std::streamsize>(size - kBmpFileHeaderSize));
  GlobalUnlock(handle);
  return handle;
}

struct CpuTimes {
  double user = 0;
  double system = 0;
};

CpuTimes CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return {static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6,
          static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6};
}

// The CPU seconds of the writer alone go to standard error: in the program
// the page is already in memory when the writer starts.
int Save(FileFormatType format, const char* page, const char* output) {
  TW_HANDLE image = LoadDib(page);
  if (image == nullptr)
    return 2;
  const auto writer = CreateDocumentWriter(format);
  const CpuTimes start = CpuSeconds();
  const ResultCode result = writer->Save(image, output, 300, false);
  const CpuTimes end = CpuSeconds();
  if (Failed(result))
    std::fprintf(stderr, "%s\n", writer->GetErrorText().c_str());
  std::fprintf(stderr, "writer cpu %.4f user %.4f system %.4f\n",
               end.user - start.user + end.system - start.system, end.user - start.user,
               end.system - start.system);
  GlobalFree(image);
  return Succeeded(result) ? 0 : 1;
}

int Combine(FileFormatType format, const char* output, std::vector<std::string> pages) {
  const auto writer = CreateDocumentWriter(format);
  const ResultCode result = writer->Save(pages, output, 8267, 11692);
  if (Failed(result))
    std::fprintf(stderr, "%s\n", writer->GetErrorText().c_str());
  return Succeeded(result) ? 0 : 1;
}

// What converting a TIFF into a PDF does: expand into JPEG (6) or PNG (7)
// page files in a private folder beside the source, then combine them.
int Convert(FileFormatType format, const std::string& source, const std::string& output) {
  const std::filesystem::path beside = std::filesystem::absolute(source).parent_path();
  std::string folder = (beside / ".convert-pages-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr)
    return 2;
  std::vector<std::string> pages;
  PageSize size;
  const FileFormatType pageFormat = PageFileFormat(format);
  ResultCode result =
      CreateDocumentWriter(pageFormat)
          ->Expand(source, folder, "Page %03d." + FileFormatExtension(pageFormat), pages, size);
  if (Succeeded(result))
    result = CreateDocumentWriter(format)->Save(pages, output, size.width, size.height);
  std::filesystem::remove_all(folder);
  return Succeeded(result) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // As the program itself does at start-up.
  ReturnPageBuffersToSystem();
  const std::optional<FileFormatType> format =
      argc >= 5 ? FileFormatTypeFromValue(std::atoi(argv[2])) : std::nullopt;
  if (format && std::string(argv[1]) == "save")
    return Save(*format, argv[3], argv[4]);
  if (format && std::string(argv[1]) == "combine")
    return Combine(*format, argv[3], std::vector<std::string>(argv + 4, argv + argc));
  if (format && std::string(argv[1]) == "convert" && argc == 5)
    return Convert(*format, argv[3], argv[4]);
  std::fprintf(
      stderr,
      "usage: %s save <format> <page.bmp> <output> | combine <format> <output> <pages...> | "
      "convert <format> <source.tif> <output.pdf>\n",
      argv[0]);
  return 2;
}
