#include "platform/imaging/JpegCodec.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/imaging/DecodeLimit.h"
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

// The output rows plus, for a progressive or multi-scan file, the coefficient
// buffers libjpeg keeps for the whole image (64 two-byte values per block).
std::uint64_t DecodeBytes(const jpeg_decompress_struct& cinfo, PixelFormat format) {
  std::uint64_t bytes = Bitmap::StrideFor(static_cast<int>(cinfo.image_width), format) *
                        static_cast<std::uint64_t>(cinfo.image_height);
  if (!cinfo.progressive_mode && !jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&cinfo)))
    return bytes;
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& c = cinfo.comp_info[i];
    const auto roundUp = [](std::uint64_t value, int factor) {
      return factor > 0 ? (value + factor - 1) / factor * factor : value;
    };
    bytes += roundUp(c.width_in_blocks, c.h_samp_factor) *
             roundUp(c.height_in_blocks, c.v_samp_factor) * DCTSIZE2 * sizeof(JCOEF);
  }
  return bytes;
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
  if (ImagingStatus status = CheckDecodeSize(DecodeBytes(s.cinfo, format)); !IsOk(status))
    return status;
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
  s.cinfo.mem->max_memory_to_use = static_cast<long>(kMaxDecodeBytes);
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

ImagingStatus ReadJpegLayout(ImageInput& input, int& width, int& height, int& components) {
  return WithDecoder(input, [&](DecodeState& s) {
    jpeg_read_header(&s.cinfo, TRUE);
    width = static_cast<int>(s.cinfo.image_width);
    height = static_cast<int>(s.cinfo.image_height);
    components = s.cinfo.num_components;
    return ImagingStatus::Ok;
  });
}

namespace {

ImagingStatus BrokenJpeg(const char* why) {
  RecordImagingError(std::string("JPEG data ") + why);
  return ImagingStatus::CorruptData;
}

bool IsFrameMarker(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsStandalone(std::uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// The position of the marker that ends the entropy-coded data starting at
// `at`: stuffed zero bytes and restart markers belong to the data.
std::size_t EndOfScanData(const std::uint8_t* data, std::size_t size, std::size_t at) {
  while (at + 1 < size) {
    const auto* ff = static_cast<const std::uint8_t*>(std::memchr(data + at, 0xFF, size - at - 1));
    if (ff == nullptr)
      return size;
    at = static_cast<std::size_t>(ff - data);
    const std::uint8_t next = data[at + 1];
    if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
      return at;
    at += next == 0xFF ? 1 : 2;
  }
  return size;
}

}  // namespace

ImagingStatus CheckJpegData(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0)
    return BrokenJpeg("is empty");
  if (size < 2 || data[0] != 0xFF || data[1] != 0xD8)
    return BrokenJpeg("does not start with a start-of-image marker");
  bool frame = false, scan = false;
  for (std::size_t at = 2;;) {
    while (at < size && data[at] == 0xFF && at + 1 < size && data[at + 1] == 0xFF)
      ++at;  // fill bytes
    if (at + 2 > size)
      return BrokenJpeg("ends before its end-of-image marker");
    if (data[at] != 0xFF)
      return BrokenJpeg("has no marker where one belongs");
    const std::uint8_t marker = data[at + 1];
    at += 2;
    if (marker == 0xD9)
      return frame && scan ? ImagingStatus::Ok : BrokenJpeg("ends before its first scan");
    if (IsStandalone(marker))
      continue;
    if (at + 2 > size)
      return BrokenJpeg("ends before its end-of-image marker");
    const std::size_t length = (std::size_t{data[at]} << 8) | data[at + 1];
    if (length < 2 || at + length > size)
      return BrokenJpeg(at + length > size ? "ends inside a segment" : "has a malformed segment");
    if (IsFrameMarker(marker))
      frame = true;
    at += length;
    if (marker == 0xDA) {
      if (!frame)
        return BrokenJpeg("has a scan before its frame header");
      scan = true;
      at = EndOfScanData(data, size, at);
    }
  }
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
