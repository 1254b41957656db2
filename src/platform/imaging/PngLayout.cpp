#include "platform/imaging/PngLayout.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/DecodeLimit.h"
#include "platform/imaging/ImageInput.h"
#include "platform/imaging/ImagingErrorText.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t BigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

ImagingStatus Broken(const char* why) {
  RecordImagingError(std::string("PNG file ") + why);
  return ImagingStatus::CorruptData;
}

bool SoundHeader(const PngLayout& l) {
  switch (l.colourType) {
    case 0:
      return l.bitDepth == 1 || l.bitDepth == 2 || l.bitDepth == 4 || l.bitDepth == 8 ||
             l.bitDepth == 16;
    case 3:
      return l.bitDepth == 1 || l.bitDepth == 2 || l.bitDepth == 4 || l.bitDepth == 8;
    case 2:
    case 4:
    case 6:
      return l.bitDepth == 8 || l.bitDepth == 16;
    default:
      return false;
  }
}

std::uint64_t DecodedBytes(const PngLayout& l) {
  const int channels = l.colourType == 2 ? 3 : l.colourType == 4 ? 2 : l.colourType == 6 ? 4 : 1;
  const std::uint64_t rowBits = std::uint64_t(l.width) * channels * l.bitDepth;
  return (rowBits + 7) / 8 * std::uint64_t(l.height);
}

}  // namespace

ImagingStatus ReadPngLayout(const std::string& path, PngLayout& out) {
  out = PngLayout();
  std::unique_ptr<ImageInput> input;
  if (const ImagingStatus status = ImageInput::OpenFile(path, input); !IsOk(status))
    return status;
  std::uint8_t signature[8];
  if (input->Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0)
    return ImagingStatus::UnknownFormat;
  std::vector<std::uint8_t> data;
  bool headerSeen = false;
  for (;;) {
    std::uint8_t head[8];
    if (input->Read(head, 8) != 8)
      return Broken("ends before its IEND chunk");
    const std::uint32_t length = BigEndian(head);
    const std::uint64_t at = input->Tell();
    if (length > 0x7FFFFFFFu || at + length + 4 > input->Size())
      return Broken("has a chunk that runs past its end");
    data.resize(length);
    std::uint8_t crc[4];
    if (input->Read(data.data(), length) != length || input->Read(crc, 4) != 4)
      return Broken("cannot be read");
    uLong sum = crc32(0L, head + 4, 4);
    sum = crc32(sum, data.data(), static_cast<uInt>(length));
    if (sum != BigEndian(crc))
      return Broken("has a chunk with a bad CRC");
    const std::string type(reinterpret_cast<const char*>(head + 4), 4);
    if (!headerSeen) {
      if (type != "IHDR" || length != 13)
        return Broken("does not start with its header");
      headerSeen = true;
      out.width = static_cast<int>(BigEndian(data.data()));
      out.height = static_cast<int>(BigEndian(data.data() + 4));
      out.bitDepth = data[8];
      out.colourType = data[9];
      out.interlaced = data[12] != 0;
      if (!SoundHeader(out) || data[10] != 0 || data[11] != 0 || data[12] > 1)
        return Broken("has an unknown header");
      if (BigEndian(data.data()) > static_cast<std::uint32_t>(Bitmap::kMaxDimension) ||
          BigEndian(data.data() + 4) > static_cast<std::uint32_t>(Bitmap::kMaxDimension) ||
          out.width == 0 || out.height == 0) {
        RecordImagingError("PNG image too large or empty");
        return ImagingStatus::TooLarge;
      }
      // Whoever shows the copied image decodes it: a page no reader here
      // would decode is not passed on either.
      if (const ImagingStatus status = CheckDecodeSize(DecodedBytes(out)); !IsOk(status))
        return status;
    } else if (type == "PLTE") {
      out.palette = data;
    } else if (type == "IDAT") {
      out.imageData.emplace_back(at, length);
    } else if (type == "IEND") {
      break;
    }
  }
  if (out.imageData.empty() || (out.colourType == 3 && out.palette.empty()))
    return Broken("holds no image data");
  return ImagingStatus::Ok;
}
