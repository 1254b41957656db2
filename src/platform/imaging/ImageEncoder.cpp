#include "platform/imaging/ImageEncoder.h"

#include <cerrno>
#include <cstdio>

#include "platform/imaging/BmpCodec.h"
#include "platform/imaging/GifCodec.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/JpegCodec.h"
#include "platform/imaging/PngCodec.h"
#include "platform/imaging/TiffPageWriter.h"

namespace {

constexpr std::size_t kFileBufferSize = 256 * 1024;

ImagingStatus EncodeTiff(const Bitmap& bitmap, const std::string& path,
                         TiffCompression compression) {
  TiffPageWriter writer;
  if (ImagingStatus status = writer.Open(path, compression); !IsOk(status))
    return status;
  const ImagingStatus status = writer.AddPage(bitmap);
  const ImagingStatus closed = writer.Close();
  return IsOk(status) ? closed : status;
}

ImagingStatus EncodeToStream(const Bitmap& bitmap, ImageFormat format, std::FILE* file,
                             const EncodeOptions& options) {
  switch (format) {
    case ImageFormat::Bmp:
      return EncodeBmp(bitmap, file);
    case ImageFormat::Jpeg:
      return EncodeJpeg(bitmap, file, options.jpegQuality);
    case ImageFormat::Gif:
      return EncodeGif(bitmap, file);
    case ImageFormat::Png:
      return EncodePng(bitmap, file);
    default:
      return ImagingStatus::InvalidParameter;
  }
}

}  // namespace

ImagingStatus EncodeImageFile(const Bitmap& bitmap, ImageFormat format, const std::string& path,
                              const EncodeOptions& options) {
  if (bitmap.IsEmpty() || path.empty() || format == ImageFormat::Unknown)
    return ImagingStatus::InvalidParameter;
  if (format == ImageFormat::Tiff)
    return EncodeTiff(bitmap, path, options.tiffCompression);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    RecordSystemError(errno);
    return ImagingStatus::WriteFailed;
  }
  std::setvbuf(file, nullptr, _IOFBF, kFileBufferSize);
  // The stream keeps only a flag when a write fails; errno still holds why.
  errno = 0;
  const ImagingStatus status = EncodeToStream(bitmap, format, file, options);
  if (std::ferror(file))
    RecordSystemError(errno);
  const bool closed = std::fclose(file) == 0;
  if (!closed)
    RecordSystemError(errno);
  return IsOk(status) && !closed ? ImagingStatus::WriteFailed : status;
}
