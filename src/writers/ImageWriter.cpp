#include "writers/ImageWriter.h"

#include <memory>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/FileFormatType.h"
#include "core/Paths.h"
#include "platform/imaging/DibReader.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/Rotation.h"
#include "platform/imaging/TiffPageWriter.h"
#include "twain/GlobalMemory.h"
#include "writers/PageNameFormat.h"
#include "writers/StagedOutputFile.h"

namespace {

constexpr int kLetterWidth = 8500;
constexpr int kLetterHeight = 11000;

// The encoder for a format value; PDF values have none.
ImageFormat EncoderFor(int fileFormatType) {
  const std::string mime = FileFormatMimeType(fileFormatType);
  if (mime == "image/bmp")
    return ImageFormat::Bmp;
  if (mime == "image/jpeg")
    return ImageFormat::Jpeg;
  if (mime == "image/gif")
    return ImageFormat::Gif;
  if (mime == "image/png")
    return ImageFormat::Png;
  return mime == "image/tiff" ? ImageFormat::Tiff : ImageFormat::Unknown;
}

EncodeOptions OptionsFor(int fileFormatType) {
  EncodeOptions options;
  options.tiffCompression =
      fileFormatType == FILE_FORMAT_TIFF_LZW ? TiffCompression::Lzw : TiffCompression::None;
  return options;
}

bool WriteStaged(const Bitmap& bitmap, int fileFormatType, const std::string& fileName) {
  StagedOutputFile output(fileName);
  if (!output.Create())
    return false;
  const ImagingStatus status = EncodeImageFile(bitmap, EncoderFor(fileFormatType),
                                               output.TemporaryPath(), OptionsFor(fileFormatType));
  if (!IsOk(status)) {
    Log(LOG_LOCATION, "ImageWriter::Save(): %s: %s", fileName.c_str(), ImagingStatusText(status));
    return false;
  }
  return output.Commit();
}

PageSize PageSizeOf(const ImageFile& file) {
  if (file.DpiX() <= 0 || file.DpiY() <= 0)
    return {kLetterWidth, kLetterHeight};
  return {static_cast<int>(file.Width() * 1000.0 / file.DpiX()),
          static_cast<int>(file.Height() * 1000.0 / file.DpiY())};
}

}  // namespace

ImageWriter::ImageWriter(int fileFormatType) : fileFormatType_(fileFormatType) {
  CheckPrecondition(CONTRACT_LOCATION,
                    fileFormatType >= FILE_FORMAT_BMP && fileFormatType <= FILE_FORMAT_PNG);
}

ResultCode ImageWriter::Save(PageImageHandle image, const std::string& fileName, int resolution,
                             bool rotate) {
  if (image == nullptr || fileName.empty() || resolution <= 0)
    return E_INVALIDARG;
  Log(LOG_LOCATION, "HGLOBAL Save(%s)", fileName.c_str());
  // The bitmap reads the page in the locked block, which stays locked until
  // the file is written: a scanned page is not copied before it is encoded.
  const void* block = GlobalLock(image);
  if (block == nullptr)
    return E_FAIL;
  const bool saved = SavePage(block, GlobalSize(image), fileName, resolution, rotate);
  GlobalUnlock(image);
  return saved ? S_OK : E_FAIL;
}

bool ImageWriter::SavePage(const void* dib, std::size_t size, const std::string& fileName,
                           int resolution, bool rotate) const {
  Bitmap bitmap;
  if (ImagingStatus status = BitmapViewOfDib(dib, size, bitmap); !IsOk(status)) {
    Log(LOG_LOCATION, "ImageWriter::Save(): page image refused: %s", ImagingStatusText(status));
    return false;
  }
  if (rotate) {
    Bitmap rotated;
    if (!IsOk(RotateClockwise90(bitmap, rotated)))
      return false;
    bitmap = std::move(rotated);
  }
  bitmap.SetResolution(resolution, resolution);
  return WriteStaged(bitmap, fileFormatType_, fileName);
}

ResultCode ImageWriter::Save(const std::vector<std::string>& pageFiles, const std::string& fileName,
                             int, int) {
  if (pageFiles.empty() || fileName.empty() || !IsTiffFormat(fileFormatType_))
    return E_INVALIDARG;
  Log(LOG_LOCATION, "vector Save(%s)", fileName.c_str());
  StagedOutputFile output(fileName);
  TiffPageWriter writer;
  if (!output.Create() ||
      !IsOk(writer.Open(output.TemporaryPath(), OptionsFor(fileFormatType_).tiffCompression)))
    return E_FAIL;
  for (std::size_t i = 0; i < pageFiles.size(); ++i) {
    if (i == 0)
      Log(LOG_LOCATION, "multiframe Save(%s)", fileName.c_str());
    else
      Log(LOG_LOCATION, "multiframe SaveAdd(%s)", pageFiles[i].c_str());
    // One decoded page at a time, so memory does not grow with the page count.
    Bitmap page;
    ImagingStatus status = DecodeImageFile(pageFiles[i], page);
    if (IsOk(status))
      status = writer.AddPage(page);
    if (!IsOk(status)) {
      Log(LOG_LOCATION, "ImageWriter::Save(): %s: %s", pageFiles[i].c_str(),
          ImagingStatusText(status));
      return E_FAIL;
    }
  }
  Log(LOG_LOCATION, "successful SaveAdd()");
  if (!IsOk(writer.Close()) || !output.Commit())
    return E_FAIL;
  return S_OK;
}

ResultCode ImageWriter::Expand(const std::string& sourceFile, const std::string& folder,
                               const std::string& nameFormat, std::vector<std::string>& files,
                               PageSize& pageSize) {
  if (sourceFile.empty() || folder.empty() || nameFormat.empty() ||
      (fileFormatType_ != FILE_FORMAT_JPEG && fileFormatType_ != FILE_FORMAT_PNG) ||
      !IsPageNameFormat(nameFormat))
    return E_INVALIDARG;
  std::unique_ptr<ImageFile> source;
  if (!IsOk(ImageFile::Open(sourceFile, source)) || source->FrameCount() <= 0)
    return E_INVALIDARG;
  pageSize = PageSizeOf(*source);
  const std::string prefix = EnsureTrailingSeparator(folder);
  for (int i = 0; i < source->FrameCount(); ++i) {
    Bitmap page;
    const std::optional<std::string> name = FormatPageName(nameFormat, i);
    if (!name || !IsOk(source->SelectActiveFrame(i)) || !IsOk(source->Decode(page)) ||
        !WriteStaged(page, fileFormatType_, prefix + *name))
      return E_FAIL;
    files.push_back(prefix + *name);
  }
  return S_OK;
}
