#include "writers/PdfPageImage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/DecodeLimit.h"
#include "platform/imaging/FaxG4.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImageFormat.h"
#include "platform/imaging/ImageInput.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/JpegCodec.h"
#include "platform/imaging/PngLayout.h"

namespace {

constexpr std::size_t kCopyBlock = 1 << 16;

bool IsBlackAndWhite(const std::vector<std::uint8_t>& rgb) {
  auto grey = [&](std::size_t i) {
    return rgb[i] == rgb[i + 1] && rgb[i] == rgb[i + 2] && (rgb[i] == 0 || rgb[i] == 255);
  };
  return rgb.size() == 6 && grey(0) && grey(3) && rgb[0] != rgb[3];
}

ImagingStatus ProbeDecoded(const std::string& path, PdfPageImage& out);
ImagingStatus Decode(const std::string& path, Bitmap& bitmap);

// The size of a page's Group 4 data; the largest size for a page without.
std::uint64_t FaxG4Size(const std::string& path) {
  Bitmap bitmap;
  std::vector<std::uint8_t> fax;
  if (!IsOk(Decode(path, bitmap)) || !IsOk(EncodeFaxG4(bitmap, fax)))
    return UINT64_MAX;
  return fax.size();
}

// A page file's bytes mapped read-only, so that checking a JPEG page reads it
// from the page cache without copying it.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<std::uint64_t>(info.st_size) <= kMaxDecodeBytes) {
      void* data =
          ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) {
        data_ = static_cast<const std::uint8_t*>(data);
        size_ = static_cast<std::size_t>(info.st_size);
      }
    }
    if (fd >= 0)
      ::close(fd);
  }
  ~MappedFile() {
    if (data_ != nullptr)
      ::munmap(const_cast<std::uint8_t*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  const std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

ImagingStatus ProbeJpeg(const std::string& path, PdfPageImage& out) {
  const MappedFile file(path);
  if (file.Data() == nullptr) {
    // Missing, not a regular file, empty or too large: the reading says which.
    std::vector<std::uint8_t> bytes;
    ImagingStatus status = ReadWholeFile(path, kMaxDecodeBytes, bytes);
    if (IsOk(status))
      status = CheckJpegData(bytes.data(), bytes.size());
    return IsOk(status) ? ImagingStatus::ReadFailed : status;
  }
  ImagingStatus status = CheckJpegData(file.Data(), file.Size());
  if (!IsOk(status))
    return status;
  auto input = ImageInput::FromMemory(file.Data(), file.Size());
  status = ReadJpegLayout(*input, out.width, out.height, out.components);
  if (!IsOk(status))
    return status;
  if (out.components != 1 && out.components != 3)
    return ImagingStatus::NotSupported;
  out.data = PdfImageData::CopyJpeg;
  out.ranges = {{0, file.Size()}};
  return ImagingStatus::Ok;
}

ImagingStatus ProbePng(const std::string& path, PdfPageImage& out) {
  PngLayout png;
  if (const ImagingStatus status = ReadPngLayout(path, png); !IsOk(status))
    return status;
  out.width = png.width;
  out.height = png.height;
  const bool bilevel = png.bitDepth == 1 && (png.colourType == 0 || IsBlackAndWhite(png.palette));
  if (png.interlaced || (png.colourType != 0 && png.colourType != 2 && png.colourType != 3))
    return bilevel ? ProbeDecoded(path, out) : ImagingStatus::NotSupported;
  out.blackAndWhite = bilevel;
  // Group 4 is the smaller for most black-and-white pages, but not for all
  // (large even areas, repeated rows): the page keeps whichever is smaller.
  std::uint64_t pngBytes = 0;
  for (const auto& range : png.imageData)
    pngBytes += range.second;
  if (bilevel && FaxG4Size(path) < pngBytes) {
    out.data = PdfImageData::EncodeFaxG4;
    return ImagingStatus::Ok;
  }
  out.data = PdfImageData::CopyPng;
  out.components = png.colourType == 2 ? 3 : 1;
  out.bitsPerComponent = png.bitDepth;
  if (png.colourType == 3)
    out.palette = png.palette;
  out.ranges = png.imageData;
  return ImagingStatus::Ok;
}

ImagingStatus ProbeStoredFax(const std::string& path, PdfPageImage& out) {
  std::unique_ptr<ImageFile> file;
  if (const ImagingStatus status = ImageFile::Open(path, file); !IsOk(status))
    return status;
  StoredFaxG4 fax;
  if (file->FrameCount() != 1 || !IsOk(file->FindStoredFaxG4(fax)))
    return ImagingStatus::NotSupported;
  out.data = PdfImageData::CopyFaxG4;
  out.blackAndWhite = true;
  out.width = fax.width;
  out.height = fax.height;
  out.invert = fax.zeroIsBlack;
  out.ranges = {{fax.offset, fax.length}};
  return ImagingStatus::Ok;
}

ImagingStatus Decode(const std::string& path, Bitmap& bitmap) {
  std::unique_ptr<ImageFile> file;
  if (const ImagingStatus status = ImageFile::Open(path, file); !IsOk(status))
    return status;
  return file->Decode(bitmap);
}

// Pages whose data cannot be copied are decoded once here to learn their
// layout, and again when they are written.
ImagingStatus ProbeDecoded(const std::string& path, PdfPageImage& out) {
  Bitmap bitmap;
  if (const ImagingStatus status = Decode(path, bitmap); !IsOk(status))
    return status;
  out.width = bitmap.Width();
  out.height = bitmap.Height();
  out.ranges.clear();
  out.palette.clear();
  out.bitsPerComponent = 8;
  out.components = 1;
  out.data = PdfImageData::EncodePixels;
  switch (bitmap.Format()) {
    case PixelFormat::Indexed1:
      if (bitmap.HasGreyPalette()) {
        out.data = PdfImageData::EncodeFaxG4;
        out.blackAndWhite = true;
        break;
      }
      out.bitsPerComponent = 1;
      [[fallthrough]];
    case PixelFormat::Indexed8:
      if (bitmap.Format() == PixelFormat::Indexed8 && bitmap.HasGreyPalette())
        break;
      for (const PaletteEntry& entry : bitmap.Palette())
        out.palette.insert(out.palette.end(), {entry.red, entry.green, entry.blue});
      break;
    case PixelFormat::Rgb24:
    case PixelFormat::Rgba32:
      out.components = 3;
      break;
  }
  return ImagingStatus::Ok;
}

ImagingStatus CopyRanges(const PdfPageImage& image, const PdfDataSink& sink) {
  std::unique_ptr<ImageInput> input;
  if (const ImagingStatus status = ImageInput::OpenFile(image.path, input); !IsOk(status))
    return status;
  std::vector<std::uint8_t> block(kCopyBlock);
  for (const auto& [offset, length] : image.ranges) {
    if (!input->Seek(offset))
      return ImagingStatus::ReadFailed;
    for (std::uint64_t left = length; left > 0;) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
      if (input->Read(block.data(), want) != want) {
        RecordImagingError(image.path + " changed while the document was written");
        return ImagingStatus::ReadFailed;
      }
      sink(block.data(), want);
      left -= want;
    }
  }
  return ImagingStatus::Ok;
}

// Rows as the image dictionary describes them: packed, palette indexes or
// grey levels or RGB, alpha left out.
ImagingStatus WritePixels(const PdfPageImage& image, const Bitmap& bitmap,
                          const PdfDataSink& sink) {
  if (bitmap.Width() != image.width || bitmap.Height() != image.height)
    return ImagingStatus::CorruptData;
  const bool rgba = bitmap.Format() == PixelFormat::Rgba32;
  const std::size_t rowBytes =
      (static_cast<std::size_t>(image.width) * image.components * image.bitsPerComponent + 7) / 8;
  std::vector<std::uint8_t> row(rowBytes);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* source = bitmap.Row(y);
    if (!rgba) {
      sink(source, rowBytes);
      continue;
    }
    for (int x = 0; x < bitmap.Width(); ++x)
      for (int c = 0; c < 3; ++c)
        row[x * 3 + c] = source[x * 4 + c];
    sink(row.data(), rowBytes);
  }
  return ImagingStatus::Ok;
}

}  // namespace

ImagingStatus ProbePdfPageImage(const std::string& path, PdfPageImage& out) {
  out = PdfPageImage();
  out.path = path;
  std::unique_ptr<ImageInput> input;
  if (const ImagingStatus status = ImageInput::OpenFile(path, input); !IsOk(status))
    return status;
  std::uint8_t head[16] = {};
  const std::size_t got = input->Read(head, sizeof head);
  input.reset();
  ImagingStatus status = ImagingStatus::NotSupported;
  switch (DetectImageFormat(head, got)) {
    case ImageFormat::Jpeg:
      status = ProbeJpeg(path, out);
      break;
    case ImageFormat::Png:
      status = ProbePng(path, out);
      break;
    case ImageFormat::Tiff:
      status = ProbeStoredFax(path, out);
      break;
    case ImageFormat::Unknown:
      RecordImagingError("not an image file");
      return got == 0 ? ImagingStatus::ReadFailed : ImagingStatus::UnknownFormat;
    default:
      break;
  }
  if (status == ImagingStatus::NotSupported)
    return ProbeDecoded(path, out);
  return status;
}

ImagingStatus WritePdfPageImage(const PdfPageImage& image, const PdfDataSink& sink) {
  if (!image.ranges.empty())
    return CopyRanges(image, sink);
  Bitmap bitmap;
  if (const ImagingStatus status = Decode(image.path, bitmap); !IsOk(status))
    return status;
  if (image.data == PdfImageData::EncodeFaxG4) {
    std::vector<std::uint8_t> fax;
    if (const ImagingStatus status = EncodeFaxG4(bitmap, fax); !IsOk(status))
      return status;
    sink(fax.data(), fax.size());
    return ImagingStatus::Ok;
  }
  return WritePixels(image, bitmap, sink);
}
