#include "platform/imaging/Rotation.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kTile = 64;  // keeps both the rows read and the rows written in cache

void RotateBytes(const Bitmap& in, Bitmap& out, std::size_t pixelBytes) {
  const int inHeight = in.Height();
  for (int y0 = 0; y0 < out.Height(); y0 += kTile) {
    for (int x0 = 0; x0 < out.Width(); x0 += kTile) {
      const int yEnd = std::min(y0 + kTile, out.Height());
      const int xEnd = std::min(x0 + kTile, out.Width());
      for (int y = y0; y < yEnd; ++y) {
        std::uint8_t* dst = out.Row(y) + static_cast<std::size_t>(x0) * pixelBytes;
        const std::size_t srcOffset = static_cast<std::size_t>(y) * pixelBytes;
        for (int x = x0; x < xEnd; ++x, dst += pixelBytes)
          std::memcpy(dst, in.Row(inHeight - 1 - x) + srcOffset, pixelBytes);
      }
    }
  }
}

void RotateBits(const Bitmap& in, Bitmap& out) {
  const int inHeight = in.Height();
  for (int y = 0; y < out.Height(); ++y) {
    std::uint8_t* dst = out.Row(y);
    const int srcByte = y >> 3;
    const int srcShift = 7 - (y & 7);
    for (int x = 0; x < out.Width(); ++x) {
      const int bit = (in.Row(inHeight - 1 - x)[srcByte] >> srcShift) & 1;
      dst[x >> 3] = static_cast<std::uint8_t>(dst[x >> 3] | bit << (7 - (x & 7)));
    }
  }
}

}  // namespace

ImagingStatus RotateClockwise90(const Bitmap& in, Bitmap& out) {
  if (in.IsEmpty())
    return ImagingStatus::InvalidParameter;
  Bitmap rotated;
  if (ImagingStatus status = Bitmap::Create(in.Height(), in.Width(), in.Format(), rotated);
      !IsOk(status))
    return status;
  if (in.Format() == PixelFormat::Indexed1)
    RotateBits(in, rotated);
  else
    RotateBytes(in, rotated, static_cast<std::size_t>(BitsPerPixel(in.Format()) / 8));
  rotated.SetPalette(in.Palette());
  rotated.SetChannels(in.Channels());
  rotated.SetResolution(in.DpiY(), in.DpiX());
  out = std::move(rotated);
  return ImagingStatus::Ok;
}
