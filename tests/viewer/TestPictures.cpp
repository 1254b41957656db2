#include "TestPictures.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/TiffPageWriter.h"

namespace {

std::string PathOf(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

Bitmap ColourPage(int width, int height) {
  Bitmap bitmap;
  if (!IsOk(Bitmap::Create(width, height, PixelFormat::Rgb24, bitmap)))
    throw std::runtime_error("cannot create a test page");
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = bitmap.Row(y) + 3 * x;
      pixel[0] = static_cast<std::uint8_t>(x);
      pixel[1] = static_cast<std::uint8_t>(y);
      pixel[2] = 128;
    }
  return bitmap;
}

}  // namespace

std::string WritePng(const std::string& name, int width, int height) {
  const std::string path = PathOf(name);
  if (!IsOk(EncodeImageFile(ColourPage(width, height), ImageFormat::Png, path)))
    throw std::runtime_error("cannot write " + path);
  return path;
}

std::string WriteBlackAndWhitePng(const std::string& name, int width, int height) {
  Bitmap bitmap;
  if (!IsOk(Bitmap::Create(width, height, PixelFormat::Indexed1, bitmap)))
    throw std::runtime_error("cannot create a test page");
  bitmap.SetPalette({{0, 0, 0}, {255, 255, 255}});
  for (int y = 0; y < height; ++y)
    for (std::size_t i = 0; i < bitmap.Stride(); ++i)
      bitmap.Row(y)[i] = i == 0 ? 0x7F : 0xFF;  // index 0 (black) in the first column only
  const std::string path = PathOf(name);
  if (!IsOk(EncodeImageFile(bitmap, ImageFormat::Png, path)))
    throw std::runtime_error("cannot write " + path);
  return path;
}

std::string WriteMultiPageTiff(const std::string& name, int pages) {
  const std::string path = PathOf(name);
  TiffPageWriter writer;
  bool ok = IsOk(writer.Open(path, TiffCompression::Lzw));
  for (int i = 0; ok && i < pages; ++i)
    ok = IsOk(writer.AddPage(ColourPage(100 + 10 * i, 80)));
  if (!ok || !IsOk(writer.Close()))
    throw std::runtime_error("cannot write " + path);
  return path;
}

std::string WriteBrokenPicture(const std::string& name) {
  const std::string path = PathOf(name);
  std::ofstream(path) << "II*\0 this is no picture";
  return path;
}

std::string WriteText(const std::string& name) {
  const std::string path = PathOf(name);
  std::ofstream(path) << "text";
  return path;
}
