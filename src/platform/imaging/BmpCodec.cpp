#include "platform/imaging/BmpCodec.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/imaging/DibReader.h"
#include "platform/imaging/ImageInput.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

std::int32_t PelsPerMeter(double dpi) {
  return dpi > 0 && dpi < 1e6 ? static_cast<std::int32_t>(std::lround(dpi / 0.0254)) : 0;
}

ImagingStatus ReadFileHeader(ImageInput& input, std::uint32_t& rowsOffset) {
  std::uint8_t header[kFileHeaderSize];
  if (input.Read(header, sizeof header) != sizeof header)
    return ImagingStatus::ReadFailed;
  if (header[0] != 'B' || header[1] != 'M')
    return ImagingStatus::UnknownFormat;
  rowsOffset = ReadU32(header + 10);
  return ImagingStatus::Ok;
}

void WriteRow(const Bitmap& bitmap, int y, std::uint8_t* row) {
  const std::uint8_t* src = bitmap.Row(y);
  switch (bitmap.Format()) {
    case PixelFormat::Indexed1:
    case PixelFormat::Indexed8:
      std::copy(src, src + bitmap.Stride(), row);
      return;
    case PixelFormat::Rgb24:
    case PixelFormat::Rgba32: {
      const int step = BitsPerPixel(bitmap.Format()) / 8;
      if (bitmap.Channels() == ChannelOrder::Bgr) {  // already in BMP's order
        std::copy(src, src + static_cast<std::size_t>(bitmap.Width()) * 3, row);
        return;
      }
      for (int x = 0; x < bitmap.Width(); ++x, src += step, row += step) {
        row[0] = src[2];
        row[1] = src[1];
        row[2] = src[0];
        if (step == 4)
          row[3] = src[3];
      }
    }
  }
}

}  // namespace

ImagingStatus DecodeBmp(ImageInput& input, Bitmap& out) {
  std::uint32_t rowsOffset = 0;
  if (!input.Seek(0))
    return ImagingStatus::ReadFailed;
  if (ImagingStatus status = ReadFileHeader(input, rowsOffset); !IsOk(status))
    return status;
  const std::uint64_t dibSize = input.Size() - kFileHeaderSize;
  if (dibSize > Bitmap::kMaxBytes + (std::size_t{1} << 20))
    return ImagingStatus::TooLarge;
  std::vector<std::uint8_t> dib;
  try {
    dib.resize(static_cast<std::size_t>(dibSize));
  } catch (const std::bad_alloc&) {
    return ImagingStatus::OutOfMemory;
  }
  if (input.Read(dib.data(), dib.size()) != dib.size())
    return ImagingStatus::ReadFailed;
  // An offset of 0 or one inside the headers is taken as "rows follow the table".
  const std::size_t offset =
      rowsOffset > kFileHeaderSize + kInfoHeaderSize ? rowsOffset - kFileHeaderSize : 0;
  return BitmapFromDib(dib.data(), dib.size(), out, offset);
}

ImagingStatus ReadBmpInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY) {
  std::uint32_t rowsOffset = 0;
  std::uint8_t info[kInfoHeaderSize];
  if (ImagingStatus status = ReadFileHeader(input, rowsOffset); !IsOk(status))
    return status;
  if (input.Read(info, sizeof info) != sizeof info)
    return ImagingStatus::ReadFailed;
  const auto w = static_cast<std::int32_t>(ReadU32(info + 4));
  const auto h = static_cast<std::int32_t>(ReadU32(info + 8));
  if (w <= 0 || h == 0 || h == INT32_MIN)
    return ImagingStatus::CorruptData;
  width = w;
  height = std::abs(h);
  const auto ppmX = static_cast<std::int32_t>(ReadU32(info + 24));
  const auto ppmY = static_cast<std::int32_t>(ReadU32(info + 28));
  dpiX = ppmX > 0 ? ppmX * 0.0254 : 0;
  dpiY = ppmY > 0 ? ppmY * 0.0254 : 0;
  return ImagingStatus::Ok;
}

ImagingStatus EncodeBmp(const Bitmap& bitmap, std::FILE* file) {
  if (bitmap.IsEmpty() || file == nullptr)
    return ImagingStatus::InvalidParameter;
  const int bits = BitsPerPixel(bitmap.Format());
  const std::size_t paletteEntries = bits <= 8 ? std::size_t{1} << bits : 0;
  const std::size_t rowBytes = bitmap.Stride();
  const std::size_t offset = kFileHeaderSize + kInfoHeaderSize + paletteEntries * 4;
  const std::uint64_t fileSize = offset + rowBytes * static_cast<std::size_t>(bitmap.Height());
  if (fileSize > UINT32_MAX)
    return ImagingStatus::TooLarge;

  std::vector<std::uint8_t> head(offset, 0);
  head[0] = 'B';
  head[1] = 'M';
  PutU32(&head[2], static_cast<std::uint32_t>(fileSize));
  PutU32(&head[10], static_cast<std::uint32_t>(offset));
  std::uint8_t* info = &head[kFileHeaderSize];
  PutU32(info, kInfoHeaderSize);
  PutU32(info + 4, static_cast<std::uint32_t>(bitmap.Width()));
  PutU32(info + 8, static_cast<std::uint32_t>(bitmap.Height()));
  PutU16(info + 12, 1);
  PutU16(info + 14, static_cast<std::uint32_t>(bits));
  PutU32(info + 20, static_cast<std::uint32_t>(fileSize - offset));
  PutU32(info + 24, static_cast<std::uint32_t>(PelsPerMeter(bitmap.DpiX())));
  PutU32(info + 28, static_cast<std::uint32_t>(PelsPerMeter(bitmap.DpiY())));
  PutU32(info + 32, static_cast<std::uint32_t>(paletteEntries));
  const auto& palette = bitmap.Palette();
  for (std::size_t i = 0; i < paletteEntries && i < palette.size(); ++i) {
    std::uint8_t* quad = info + kInfoHeaderSize + i * 4;
    quad[0] = palette[i].blue;
    quad[1] = palette[i].green;
    quad[2] = palette[i].red;
  }
  if (std::fwrite(head.data(), 1, head.size(), file) != head.size())
    return ImagingStatus::WriteFailed;
  std::vector<std::uint8_t> row(rowBytes, 0);
  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    WriteRow(bitmap, y, row.data());
    if (std::fwrite(row.data(), 1, row.size(), file) != row.size())
      return ImagingStatus::WriteFailed;
  }
  return ImagingStatus::Ok;
}
