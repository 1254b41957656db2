#include "platform/imaging/ImageFile.h"

#include <vector>

#include "platform/imaging/BmpCodec.h"
#include "platform/imaging/GifCodec.h"
#include "platform/imaging/ImageInput.h"
#include "platform/imaging/JpegCodec.h"
#include "platform/imaging/PngCodec.h"
#include "platform/imaging/TiffReader.h"

namespace {

using InfoReader = ImagingStatus (*)(ImageInput&, int&, int&, double&, double&);
using Decoder = ImagingStatus (*)(ImageInput&, Bitmap&);

// BMP, JPEG and PNG: one frame, decoded by one function.
class SingleFrameFile : public ImageFile {
 public:
  SingleFrameFile(std::unique_ptr<ImageInput> input, ImageFormat format, Decoder decoder)
      : ImageFile(std::move(input)), format_(format), decoder_(decoder) {}

  ImagingStatus ReadInfo(InfoReader reader) {
    int width = 0, height = 0;
    double dpiX = 0, dpiY = 0;
    const ImagingStatus status = reader(Input(), width, height, dpiX, dpiY);
    SetFrameInfo(width, height, dpiX, dpiY);
    return status;
  }

  ImageFormat Format() const override { return format_; }
  int FrameCount() const override { return 1; }
  ImagingStatus SelectActiveFrame(int index) override {
    return index == 0 ? ImagingStatus::Ok : ImagingStatus::InvalidParameter;
  }
  ImagingStatus Decode(Bitmap& out) override {
    Input().Seek(0);
    return decoder_(Input(), out);
  }

 private:
  ImageFormat format_;
  Decoder decoder_;
};

class GifImageFile : public ImageFile {
 public:
  explicit GifImageFile(std::unique_ptr<ImageInput> input)
      : ImageFile(std::move(input)), frameReader_(Input()) {}

  ImagingStatus Scan() {
    const ImagingStatus status = ScanGifFrames(Input(), frames_);
    if (IsOk(status))
      SelectActiveFrame(0);
    return status;
  }

  ImageFormat Format() const override { return ImageFormat::Gif; }
  int FrameCount() const override { return static_cast<int>(frames_.size()); }
  ImagingStatus SelectActiveFrame(int index) override {
    if (index < 0 || index >= FrameCount())
      return ImagingStatus::InvalidParameter;
    activeFrame_ = index;
    const GifFrameInfo& info = frames_[static_cast<std::size_t>(index)];
    SetFrameInfo(info.width, info.height, 0, 0);
    return ImagingStatus::Ok;
  }
  ImagingStatus Decode(Bitmap& out) override { return frameReader_.Decode(activeFrame_, out); }

 private:
  std::vector<GifFrameInfo> frames_;
  GifFrameReader frameReader_;
};

class TiffImageFile : public ImageFile {
 public:
  explicit TiffImageFile(std::unique_ptr<ImageInput> input) : ImageFile(std::move(input)) {}

  ImagingStatus OpenReader() {
    const ImagingStatus status = reader_.Open(Input());
    if (IsOk(status))
      UpdateInfo();
    return status;
  }

  ImageFormat Format() const override { return ImageFormat::Tiff; }
  int FrameCount() const override { return reader_.PageCount(); }
  ImagingStatus SelectActiveFrame(int index) override {
    const ImagingStatus status = reader_.SelectPage(index);
    if (IsOk(status)) {
      activeFrame_ = index;
      UpdateInfo();
    }
    return status;
  }
  ImagingStatus Decode(Bitmap& out) override { return reader_.Decode(out); }
  ImagingStatus OpenRows(std::unique_ptr<PageRowSource>& out) override {
    return reader_.OpenRows(out);
  }
  ImagingStatus FindStoredFaxG4(StoredFaxG4& out) override { return reader_.FindStoredFaxG4(out); }

 private:
  void UpdateInfo() {
    int width = 0, height = 0;
    double dpiX = 0, dpiY = 0;
    reader_.PageInfo(width, height, dpiX, dpiY);
    SetFrameInfo(width, height, dpiX, dpiY);
  }

  TiffReader reader_;
};

// Wraps the input in the file type of its format and reads the headers.
template <typename File, typename Prepare>
ImagingStatus Make(std::unique_ptr<File> file, Prepare prepare, std::unique_ptr<ImageFile>& out) {
  const ImagingStatus status = prepare(*file);
  if (IsOk(status))
    out = std::move(file);
  return status;
}

ImagingStatus OpenSingle(std::unique_ptr<ImageInput> input, ImageFormat format, Decoder decoder,
                         InfoReader reader, std::unique_ptr<ImageFile>& out) {
  return Make(
      std::make_unique<SingleFrameFile>(std::move(input), format, decoder),
      [reader](SingleFrameFile& file) { return file.ReadInfo(reader); }, out);
}

ImagingStatus OpenInput(std::unique_ptr<ImageInput> input, std::unique_ptr<ImageFile>& out) {
  std::uint8_t magic[8] = {};
  const std::size_t got = input->Read(magic, sizeof magic);
  input->Seek(0);
  switch (DetectImageFormat(magic, got)) {
    case ImageFormat::Bmp:
      return OpenSingle(std::move(input), ImageFormat::Bmp, DecodeBmp, ReadBmpInfo, out);
    case ImageFormat::Jpeg:
      return OpenSingle(std::move(input), ImageFormat::Jpeg, DecodeJpeg, ReadJpegInfo, out);
    case ImageFormat::Png:
      return OpenSingle(std::move(input), ImageFormat::Png, DecodePng, ReadPngInfo, out);
    case ImageFormat::Gif:
      return Make(
          std::make_unique<GifImageFile>(std::move(input)),
          [](GifImageFile& file) { return file.Scan(); }, out);
    case ImageFormat::Tiff:
      return Make(
          std::make_unique<TiffImageFile>(std::move(input)),
          [](TiffImageFile& file) { return file.OpenReader(); }, out);
    case ImageFormat::Unknown:
      break;
  }
  return ImagingStatus::UnknownFormat;
}

}  // namespace

ImageFile::ImageFile(std::unique_ptr<ImageInput> input) : input_(std::move(input)) {}

ImageFile::~ImageFile() = default;

std::uint64_t ImageFile::BytesRead() const {
  return input_->BytesRead();
}

void ImageFile::SetFrameInfo(int width, int height, double dpiX, double dpiY) {
  width_ = width;
  height_ = height;
  dpiX_ = dpiX;
  dpiY_ = dpiY;
}

ImagingStatus ImageFile::Open(const std::string& path, std::unique_ptr<ImageFile>& out) {
  std::unique_ptr<ImageInput> input;
  if (ImagingStatus status = ImageInput::OpenFile(path, input); !IsOk(status))
    return status;
  return OpenInput(std::move(input), out);
}

ImagingStatus ImageFile::OpenMemory(const std::uint8_t* data, std::size_t size,
                                    std::unique_ptr<ImageFile>& out) {
  return OpenInput(ImageInput::FromMemory(data, size), out);
}

ImagingStatus DecodeImageFile(const std::string& path, Bitmap& out, int frame) {
  std::unique_ptr<ImageFile> file;
  if (ImagingStatus status = ImageFile::Open(path, file); !IsOk(status))
    return status;
  if (ImagingStatus status = file->SelectActiveFrame(frame); !IsOk(status))
    return status;
  return file->Decode(out);
}
