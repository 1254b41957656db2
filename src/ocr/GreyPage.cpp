#include "ocr/GreyPage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/imaging/ImageFile.h"
#include "platform/imaging/Rotation.h"

namespace {

// Rec. 601 luma in 8-bit fixed point, weights summing to 256.
std::uint8_t Luma(int red, int green, int blue) {
  return static_cast<std::uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
}

std::uint8_t OverWhite(std::uint8_t value, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha)) / 255);
}

}  // namespace

std::array<std::uint8_t, 256> PaletteGreys(const Bitmap& in) {
  std::array<std::uint8_t, 256> greys{};
  const auto& palette = in.Palette();
  for (std::size_t i = 0; i < palette.size() && i < greys.size(); ++i) {
    const PaletteEntry& entry = palette[i];
    greys[i] = OverWhite(Luma(entry.red, entry.green, entry.blue), entry.alpha);
  }
  return greys;
}

void GreyRow(const Bitmap& in, int y, const std::array<std::uint8_t, 256>& greys,
             std::uint8_t* out) {
  const std::uint8_t* row = in.Row(y);
  const bool bgr = in.Channels() == ChannelOrder::Bgr;
  for (int x = 0; x < in.Width(); ++x) {
    switch (in.Format()) {
      case PixelFormat::Indexed1:
        out[x] = greys[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case PixelFormat::Indexed8:
        out[x] = greys[row[x]];
        break;
      case PixelFormat::Rgb24: {
        const std::uint8_t* p = row + 3 * x;
        out[x] = bgr ? Luma(p[2], p[1], p[0]) : Luma(p[0], p[1], p[2]);
        break;
      }
      case PixelFormat::Rgba32: {
        const std::uint8_t* p = row + 4 * x;
        out[x] = OverWhite(Luma(p[0], p[1], p[2]), p[3]);
        break;
      }
    }
  }
}

ImagingStatus LoadGreyPage(const std::string& path, Bitmap& out) {
  std::unique_ptr<ImageFile> file;
  if (const ImagingStatus opened = ImageFile::Open(path, file); !IsOk(opened))
    return opened;
  Bitmap decoded;
  if (const ImagingStatus status = file->Decode(decoded); !IsOk(status))
    return status;
  if (decoded.Format() == PixelFormat::Indexed8 && decoded.HasGreyPalette() &&
      decoded.Palette().size() == 256 && decoded.Palette().front().red == 0) {
    out = std::move(decoded);
    return ImagingStatus::Ok;
  }
  Bitmap grey;
  if (const ImagingStatus status =
          Bitmap::Create(decoded.Width(), decoded.Height(), PixelFormat::Indexed8, grey);
      !IsOk(status))
    return status;
  grey.SetPalette(GreyPalette(256));
  grey.SetResolution(decoded.DpiX(), decoded.DpiY());
  const auto greys = PaletteGreys(decoded);
  for (int y = 0; y < decoded.Height(); ++y)
    GreyRow(decoded, y, greys, grey.Row(y));
  out = std::move(grey);
  return ImagingStatus::Ok;
}

ImagingStatus HalveGrey(const Bitmap& grey, Bitmap& out) {
  Bitmap half;
  if (const ImagingStatus status =
          Bitmap::Create(std::max(1, grey.Width() / 2), std::max(1, grey.Height() / 2),
                         PixelFormat::Indexed8, half);
      !IsOk(status))
    return status;
  half.SetPalette(GreyPalette(256));
  half.SetResolution(grey.DpiX() / 2, grey.DpiY() / 2);
  const int pairs = grey.Width() / 2;
  for (int y = 0; y < half.Height(); ++y) {
    const std::uint8_t* top = grey.Row(std::min(2 * y, grey.Height() - 1));
    const std::uint8_t* bottom = grey.Row(std::min(2 * y + 1, grey.Height() - 1));
    std::uint8_t* row = half.Row(y);
    for (int x = 0; x < pairs; ++x)
      row[x] = static_cast<std::uint8_t>(
          (top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) / 4);
    if (pairs == 0)
      row[0] = top[0];
  }
  out = std::move(half);
  return ImagingStatus::Ok;
}

ImagingStatus TurnClockwise(Bitmap& page, int degrees) {
  for (int turned = 0; turned < ((degrees / 90) % 4 + 4) % 4; ++turned) {
    Bitmap next;
    if (const ImagingStatus status = RotateClockwise90(page, next); !IsOk(status))
      return status;
    page = std::move(next);
  }
  return ImagingStatus::Ok;
}
