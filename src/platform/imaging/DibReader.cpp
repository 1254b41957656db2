#include "platform/imaging/DibReader.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct DibHeader {
  std::uint32_t size = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative for top-down rows
  unsigned bitCount = 0;
  std::uint32_t compression = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;
};

DibHeader ParseHeader(const std::uint8_t* p) {
  DibHeader h;
  h.size = ReadU32(p);
  h.width = static_cast<std::int32_t>(ReadU32(p + 4));
  h.height = static_cast<std::int32_t>(ReadU32(p + 8));
  h.bitCount = static_cast<unsigned>(p[14] | p[15] << 8);
  h.compression = ReadU32(p + 16);
  h.xPelsPerMeter = static_cast<std::int32_t>(ReadU32(p + 24));
  h.yPelsPerMeter = static_cast<std::int32_t>(ReadU32(p + 28));
  h.clrUsed = ReadU32(p + 32);
  return h;
}

// Entries of the colour table that sits between the header and the rows.
std::uint64_t ColourTableEntries(const DibHeader& h) {
  if (h.bitCount < 16) {
    const std::uint64_t full = std::uint64_t{1} << h.bitCount;
    return h.clrUsed != 0 && h.clrUsed < full ? h.clrUsed : full;
  }
  return h.clrUsed;  // an optional table that colour images may carry; skipped
}

bool HasStandardMasks(const std::uint8_t* masks) {
  return ReadU32(masks) == 0x00FF0000u && ReadU32(masks + 4) == 0x0000FF00u &&
         ReadU32(masks + 8) == 0x000000FFu;
}

double DotsPerInch(std::int32_t pelsPerMeter) {
  return pelsPerMeter > 0 ? pelsPerMeter * 0.0254 : 0.0;
}

std::vector<PaletteEntry> ReadPalette(const std::uint8_t* table, std::uint64_t entries,
                                      unsigned bitCount) {
  std::vector<PaletteEntry> palette(std::size_t{1} << (bitCount == 4 ? 8 : bitCount));
  for (std::uint64_t i = 0; i < entries && i < palette.size(); ++i) {
    const std::uint8_t* quad = table + i * 4;
    palette[i] = {quad[2], quad[1], quad[0], 255};
  }
  return palette;
}

void ConvertRow(const std::uint8_t* src, std::uint8_t* dst, int width, unsigned bitCount) {
  switch (bitCount) {
    case 1:
    case 8:
      std::memcpy(
          dst, src,
          Bitmap::StrideFor(width, bitCount == 1 ? PixelFormat::Indexed1 : PixelFormat::Indexed8));
      break;
    case 4:
      for (int x = 0; x < width; ++x)
        dst[x] = (x & 1) ? (src[x / 2] & 0x0F) : (src[x / 2] >> 4);
      break;
    default: {
      const int step = static_cast<int>(bitCount / 8);
      for (int x = 0; x < width; ++x, src += step, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
    }
  }
}

PixelFormat FormatFor(unsigned bitCount) {
  if (bitCount == 1)
    return PixelFormat::Indexed1;
  return bitCount <= 8 ? PixelFormat::Indexed8 : PixelFormat::Rgb24;
}

ImagingStatus CheckHeader(const DibHeader& h, std::size_t blockSize) {
  if (h.size < kInfoHeaderSize || h.size > blockSize)
    return ImagingStatus::CorruptData;
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24 && h.bitCount != 32)
    return ImagingStatus::NotSupported;
  if (h.compression == kBiBitfields ? h.bitCount != 32 : h.compression != kBiRgb)
    return ImagingStatus::NotSupported;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
    return ImagingStatus::CorruptData;
  return ImagingStatus::Ok;
}

// Where everything lies in a checked block.
struct DibLayout {
  DibHeader header;
  std::uint64_t tableOffset = 0;
  std::uint64_t tableEntries = 0;
  std::uint64_t rowsOffset = 0;
  std::uint64_t rowBytes = 0;
  std::uint64_t height = 0;
};

ImagingStatus Locate(const std::uint8_t* bytes, std::size_t blockSize, std::size_t rowsOffset,
                     DibLayout& layout) {
  if (bytes == nullptr || blockSize < kInfoHeaderSize)
    return ImagingStatus::CorruptData;
  const DibHeader h = ParseHeader(bytes);
  if (ImagingStatus status = CheckHeader(h, blockSize); !IsOk(status))
    return status;
  // Everything below is measured in 64 bits against the block's real size.
  std::uint64_t offset = h.size;
  const bool separateMasks = h.compression == kBiBitfields && h.size == kInfoHeaderSize;
  if (separateMasks && (offset + 12 > blockSize || !HasStandardMasks(bytes + offset)))
    return offset + 12 > blockSize ? ImagingStatus::CorruptData : ImagingStatus::NotSupported;
  if (h.compression == kBiBitfields && !separateMasks &&
      (h.size < 52 || !HasStandardMasks(bytes + kInfoHeaderSize)))
    return ImagingStatus::NotSupported;
  offset += separateMasks ? 12 : 0;
  layout.header = h;
  layout.tableOffset = offset;
  layout.tableEntries = ColourTableEntries(h);
  offset += layout.tableEntries * 4;
  if (rowsOffset != 0) {
    if (rowsOffset < offset)
      return ImagingStatus::CorruptData;  // the rows would overlap the table
    offset = rowsOffset;
  }
  layout.rowsOffset = offset;
  layout.height = h.height < 0 ? -h.height : h.height;
  layout.rowBytes = (static_cast<std::uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
  if (layout.tableEntries > blockSize || offset > blockSize ||
      layout.rowBytes * layout.height > blockSize - offset)
    return ImagingStatus::CorruptData;
  return ImagingStatus::Ok;
}

void SetPaletteAndResolution(const std::uint8_t* bytes, const DibLayout& l, Bitmap& bitmap) {
  if (l.header.bitCount <= 8)
    bitmap.SetPalette(ReadPalette(bytes + l.tableOffset, l.tableEntries, l.header.bitCount));
  bitmap.SetResolution(DotsPerInch(l.header.xPelsPerMeter), DotsPerInch(l.header.yPelsPerMeter));
}

}  // namespace

ImagingStatus BitmapFromDib(const void* block, std::size_t blockSize, Bitmap& out,
                            std::size_t rowsOffset) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  DibLayout l;
  if (ImagingStatus status = Locate(bytes, blockSize, rowsOffset, l); !IsOk(status))
    return status;
  Bitmap bitmap;
  const int width = static_cast<int>(l.header.width);
  if (ImagingStatus status =
          Bitmap::Create(width, static_cast<int>(l.height), FormatFor(l.header.bitCount), bitmap);
      !IsOk(status))
    return status;
  const std::uint8_t* rows = bytes + l.rowsOffset;
  for (std::uint64_t y = 0; y < l.height; ++y) {
    const std::uint64_t sourceRow = l.header.height < 0 ? y : l.height - 1 - y;
    ConvertRow(rows + sourceRow * l.rowBytes, bitmap.Row(static_cast<int>(y)), width,
               l.header.bitCount);
  }
  SetPaletteAndResolution(bytes, l, bitmap);
  out = std::move(bitmap);
  return ImagingStatus::Ok;
}

ImagingStatus BitmapViewOfDib(const void* block, std::size_t blockSize, Bitmap& out) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  DibLayout l;
  if (ImagingStatus status = Locate(bytes, blockSize, 0, l); !IsOk(status))
    return status;
  const unsigned bits = l.header.bitCount;
  if (bits != 1 && bits != 8 && bits != 24)
    return BitmapFromDib(block, blockSize, out);
  const bool bottomUp = l.header.height > 0;
  const std::uint8_t* top = bytes + l.rowsOffset + (bottomUp ? (l.height - 1) * l.rowBytes : 0);
  const auto step = static_cast<std::ptrdiff_t>(l.rowBytes);
  Bitmap view;
  if (ImagingStatus status =
          Bitmap::WrapRows(top, bottomUp ? -step : step, static_cast<int>(l.header.width),
                           static_cast<int>(l.height), FormatFor(bits), view);
      !IsOk(status))
    return status;
  view.SetChannels(bits == 24 ? ChannelOrder::Bgr : ChannelOrder::Rgb);
  SetPaletteAndResolution(bytes, l, view);
  out = std::move(view);
  return ImagingStatus::Ok;
}
