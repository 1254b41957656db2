#include "platform/imaging/JpegCodec.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <memory>
#include <vector>

#include "platform/imaging/ImageInput.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/PixelRows.h"

// libjpeg reports errors by calling error_exit, which must not return: we jump
// back to the setjmp of the calling function. Those functions keep every C++
// object that outlives the jump on the heap or construct it before setjmp, and
// the frames jumped over are libjpeg's and our callbacks, which own nothing.

namespace {

constexpr std::size_t kSourceBufferSize = 64 * 1024;
constexpr int kBandRows = 16;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX] = {};
  (*cinfo->err->format_message)(cinfo, message);
  RecordImagingError(message);
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

struct InputSource {
  jpeg_source_mgr pub;
  ImageInput* input;
  JOCTET buffer[kSourceBufferSize];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<InputSource*>(cinfo->src);
  const std::size_t got = source->input->Read(source->buffer, kSourceBufferSize);
  if (got == 0)
    ERREXIT(cinfo, JERR_INPUT_EOF);  // a truncated file is refused, not padded
  source->pub.next_input_byte = source->buffer;
  source->pub.bytes_in_buffer = got;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  auto* source = reinterpret_cast<InputSource*>(cinfo->src);
  while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
    count -= static_cast<long>(source->pub.bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  if (count > 0) {
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
  }
}

void AttachSource(j_decompress_ptr cinfo, InputSource& source, ImageInput& input) {
  source.input = &input;
  source.pub.init_source = InitSource;
  source.pub.fill_input_buffer = FillInputBuffer;
  source.pub.skip_input_data = SkipInputData;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = TermSource;
  source.pub.bytes_in_buffer = 0;
  source.pub.next_input_byte = nullptr;
  cinfo->src = &source.pub;
}

double DensityDpi(const jpeg_decompress_struct& cinfo, UINT16 density) {
  if (cinfo.density_unit == 1)
    return density;
  return cinfo.density_unit == 2 ? density * 2.54 : 0.0;
}

// The decoder state that must survive a jump: heap-allocated, so its value
// after longjmp is never indeterminate.
struct DecodeState {
  jpeg_decompress_struct cinfo{};
  JpegErrorManager error{};
  InputSource source{};
  Bitmap bitmap;
};

void SetUpDecoder(DecodeState& s) {
  s.cinfo.err = jpeg_std_error(&s.error.pub);
  s.error.pub.error_exit = OnJpegError;
  s.error.pub.output_message = IgnoreJpegMessage;
}

ImagingStatus StartDecode(DecodeState& s) {
  jpeg_read_header(&s.cinfo, TRUE);
  if (s.cinfo.image_width > Bitmap::kMaxDimension || s.cinfo.image_height > Bitmap::kMaxDimension)
    return ImagingStatus::TooLarge;
  const bool grey = s.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  if (!grey && (s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK))
    return ImagingStatus::NotSupported;
  s.cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  const PixelFormat format = grey ? PixelFormat::Indexed8 : PixelFormat::Rgb24;
  if (ImagingStatus status =
          Bitmap::Create(static_cast<int>(s.cinfo.image_width),
                         static_cast<int>(s.cinfo.image_height), format, s.bitmap);
      !IsOk(status))
    return status;
  if (grey)
    s.bitmap.SetPalette(GreyPalette(256));
  s.bitmap.SetResolution(DensityDpi(s.cinfo, s.cinfo.X_density),
                         DensityDpi(s.cinfo, s.cinfo.Y_density));
  jpeg_start_decompress(&s.cinfo);
  return ImagingStatus::Ok;
}

void ReadRows(DecodeState& s) {
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    JSAMPROW row = s.bitmap.Row(static_cast<int>(s.cinfo.output_scanline));
    jpeg_read_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_decompress(&s.cinfo);
}

// Runs body(state) with a decoder reading `input`; a libjpeg error anywhere in
// it comes back here as CorruptData.
template <typename Body>
ImagingStatus WithDecoder(ImageInput& input, Body body) {
  auto state = std::make_unique<DecodeState>();
  DecodeState& s = *state;
  SetUpDecoder(s);
  if (setjmp(s.error.jump)) {
    jpeg_destroy_decompress(&s.cinfo);
    return ImagingStatus::CorruptData;
  }
  jpeg_create_decompress(&s.cinfo);
  s.cinfo.mem->max_memory_to_use = Bitmap::kMaxBytes;
  input.Seek(0);
  AttachSource(&s.cinfo, s.source, input);
  const ImagingStatus status = body(s);
  jpeg_destroy_decompress(&s.cinfo);
  return status;
}

}  // namespace

ImagingStatus DecodeJpeg(ImageInput& input, Bitmap& out) {
  return WithDecoder(input, [&](DecodeState& s) {
    const ImagingStatus status = StartDecode(s);
    if (IsOk(status)) {
      ReadRows(s);
      out = std::move(s.bitmap);
    }
    return status;
  });
}

ImagingStatus ReadJpegInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY) {
  return WithDecoder(input, [&](DecodeState& s) {
    jpeg_read_header(&s.cinfo, TRUE);
    width = static_cast<int>(s.cinfo.image_width);
    height = static_cast<int>(s.cinfo.image_height);
    dpiX = DensityDpi(s.cinfo, s.cinfo.X_density);
    dpiY = DensityDpi(s.cinfo, s.cinfo.Y_density);
    return ImagingStatus::Ok;
  });
}

namespace {

struct EncodeState {
  jpeg_compress_struct cinfo{};
  JpegErrorManager error{};
  std::vector<std::uint8_t> rowBuffer;
};

UINT16 DensityValue(double dpi) {
  return dpi > 0 && dpi < 65535 ? static_cast<UINT16>(std::lround(dpi)) : 0;
}

void SetUpEncoder(EncodeState& s, const Bitmap& bitmap, std::FILE* file, int quality, bool grey) {
  jpeg_stdio_dest(&s.cinfo, file);
  s.cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  s.cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  s.cinfo.input_components = grey ? 1 : (bitmap.Format() == PixelFormat::Rgba32 ? 4 : 3);
  const bool bgr = bitmap.Channels() == ChannelOrder::Bgr;
  s.cinfo.in_color_space = grey                                     ? JCS_GRAYSCALE
                           : bitmap.Format() == PixelFormat::Rgba32 ? JCS_EXT_RGBX
                           : bgr                                    ? JCS_EXT_BGR
                                                                    : JCS_RGB;
  jpeg_set_defaults(&s.cinfo);
  jpeg_set_quality(&s.cinfo, quality, TRUE);
  const UINT16 dpiX = DensityValue(bitmap.DpiX());
  const UINT16 dpiY = DensityValue(bitmap.DpiY());
  if (dpiX != 0 && dpiY != 0) {
    s.cinfo.density_unit = 1;
    s.cinfo.X_density = dpiX;
    s.cinfo.Y_density = dpiY;
  }
}

// Rows go to libjpeg a band at a time, which saves a call per row and lets
// 1-bit rows be expanded a band at a time.
void WriteRows(EncodeState& s, const Bitmap& bitmap, bool grey) {
  const bool direct = bitmap.Format() == PixelFormat::Rgb24 ||
                      bitmap.Format() == PixelFormat::Rgba32 ||
                      (grey && bitmap.Format() == PixelFormat::Indexed8 && bitmap.HasGreyPalette());
  const std::size_t rowBytes = static_cast<std::size_t>(bitmap.Width()) * (grey ? 1 : 3);
  JSAMPROW rows[kBandRows];
  for (int y = 0; y < bitmap.Height(); y += kBandRows) {
    const int count = std::min(kBandRows, bitmap.Height() - y);
    if (!direct && grey)
      ExpandRowsToGrey(bitmap, y, count, s.rowBuffer.data(), rowBytes);
    for (int r = 0; r < count; ++r) {
      std::uint8_t* band = s.rowBuffer.data() + static_cast<std::size_t>(r) * rowBytes;
      if (direct)
        rows[r] = const_cast<JSAMPROW>(bitmap.Row(y + r));
      else if (!grey)
        ExpandRowToRgb(bitmap, y + r, rows[r] = band);
      else
        rows[r] = band;
    }
    for (int written = 0; written < count;)
      written += static_cast<int>(
          jpeg_write_scanlines(&s.cinfo, rows + written, static_cast<JDIMENSION>(count - written)));
  }
}

}  // namespace

ImagingStatus EncodeJpeg(const Bitmap& bitmap, std::FILE* file, int quality) {
  if (bitmap.IsEmpty() || file == nullptr || quality < 1 || quality > 100)
    return ImagingStatus::InvalidParameter;
  // A scanner's grey palette need not be a ramp; any all-grey palette makes a grey JPEG.
  const bool grey = bitmap.Format() == PixelFormat::Indexed1 || bitmap.HasOnlyGreys();
  auto state = std::make_unique<EncodeState>();
  EncodeState& s = *state;
  s.rowBuffer.resize(static_cast<std::size_t>(bitmap.Width()) * 3 * kBandRows);
  s.cinfo.err = jpeg_std_error(&s.error.pub);
  s.error.pub.error_exit = OnJpegError;
  s.error.pub.output_message = IgnoreJpegMessage;
  if (setjmp(s.error.jump)) {
    jpeg_destroy_compress(&s.cinfo);
    return ImagingStatus::WriteFailed;
  }
  jpeg_create_compress(&s.cinfo);
  SetUpEncoder(s, bitmap, file, quality, grey);
  jpeg_start_compress(&s.cinfo, TRUE);
  WriteRows(s, bitmap, grey);
  jpeg_finish_compress(&s.cinfo);
  jpeg_destroy_compress(&s.cinfo);
  return std::ferror(file) ? ImagingStatus::WriteFailed : ImagingStatus::Ok;
}
