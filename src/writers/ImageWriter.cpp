#include "writers/ImageWriter.h"

#include <cstdio>
#include <memory>

#include "cleanup/PageCleaner.h"
#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/imaging/DibReader.h"
#include "platform/imaging/FaxG4.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/Rotation.h"
#include "platform/imaging/TiffPageWriter.h"
#include "twain/GlobalMemory.h"
#include "writers/FailureText.h"
#include "writers/PageNameFormat.h"
#include "writers/StagedOutputFile.h"

namespace {

constexpr int kLetterWidth = 8500;
constexpr int kLetterHeight = 11000;

// The encoder for a format; PDF formats have none.
ImageFormat EncoderFor(FileFormatType fileFormatType) {
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

EncodeOptions OptionsFor(FileFormatType fileFormatType) {
  EncodeOptions options;
  options.tiffCompression =
      fileFormatType == FileFormatType::TiffLzw ? TiffCompression::Lzw : TiffCompression::None;
  return options;
}

// The largest page a PDF can hold: 14,400 points, 200 inches.
constexpr double kMaxPageThousandths = 200000;

// A resolution that would make the page larger than any PDF page, or nothing
// at all (a TIFF at 0.000001 dpi, a PNG at 1 pixel a metre), is no real one:
// the page gets the size of a page that states no resolution.
PageSize PageSizeOf(const ImageFile& file) {
  const double width = file.DpiX() > 0 ? file.Width() * 1000.0 / file.DpiX() : 0;
  const double height = file.DpiY() > 0 ? file.Height() * 1000.0 / file.DpiY() : 0;
  if (!(width >= 1 && width <= kMaxPageThousandths && height >= 1 && height <= kMaxPageThousandths))
    return {kLetterWidth, kLetterHeight};
  return {static_cast<int>(width), static_cast<int>(height)};
}

std::string StatusText(ImagingStatus status) {
  return ImagingStatusText(status);
}

}  // namespace

ImageWriter::ImageWriter(FileFormatType fileFormatType) : fileFormatType_(fileFormatType) {
  const std::int32_t value = FileFormatTypeValue(fileFormatType);
  CheckPrecondition(CONTRACT_LOCATION, value >= FileFormatTypeValue(FileFormatType::Bmp) &&
                                           value <= FileFormatTypeValue(FileFormatType::Png));
}

void ImageWriter::BeginOperation() {
  errorText_.clear();
  ClearImagingErrorText();
}

bool ImageWriter::Fail(const std::string& file, const std::string& what) {
  errorText_ = FailureText(file, what, ImagingErrorText());
  return false;
}

bool ImageWriter::FailInSystem(const std::string& file, const std::string& what, int errorNumber) {
  errorText_ = FailureText(file, what, SystemErrorText(errorNumber));
  return false;
}

ResultCode ImageWriter::Fail(ResultCode code, const std::string& file, const std::string& what) {
  Fail(file, what);
  return code;
}

ResultCode ImageWriter::Save(PageImageHandle image, const std::string& fileName, int resolution,
                             bool rotate) {
  BeginOperation();
  if (image == nullptr || fileName.empty() || resolution <= 0)
    return Fail(E_INVALIDARG, fileName, "no page image, file name or resolution to save with");
  Log(LOG_LOCATION, "HGLOBAL Save(%s)", fileName.c_str());
  // The bitmap reads the page in the locked block, which stays locked until
  // the file is written: a scanned page is not copied before it is encoded.
  const void* block = GlobalLock(image);
  if (block == nullptr)
    return Fail(E_FAIL, fileName, "the page image cannot be read");
  const bool saved = SavePage(block, GlobalSize(image), fileName, resolution, rotate);
  GlobalUnlock(image);
  return saved ? S_OK : E_FAIL;
}

bool ImageWriter::SavePage(const void* dib, std::size_t size, const std::string& fileName,
                           int resolution, bool rotate) {
  Bitmap bitmap;
  if (ImagingStatus status = BitmapViewOfDib(dib, size, bitmap); !IsOk(status))
    return Fail(fileName, "page image refused: " + StatusText(status));
  if (rotate) {
    Bitmap rotated;
    if (ImagingStatus status = RotateClockwise90(bitmap, rotated); !IsOk(status))
      return Fail(fileName, "rotation failed: " + StatusText(status));
    bitmap = std::move(rotated);
  }
  bitmap.SetResolution(resolution, resolution);
  if (cleaner_) {
    if (ImagingStatus status = cleaner_->Clean(bitmap); !IsOk(status))
      return Fail(fileName, "page clean-up failed: " + StatusText(status));
  }
  return WriteStaged(bitmap, fileName);
}

bool ImageWriter::WriteStaged(const Bitmap& bitmap, const std::string& fileName) {
  return WriteStaged(bitmap, fileName, EncoderFor(fileFormatType_));
}

bool ImageWriter::WriteStaged(const Bitmap& bitmap, const std::string& fileName,
                              ImageFormat format) {
  StagedOutputFile output(fileName);
  if (!output.Create())
    return FailInSystem(fileName, "cannot create the file", output.ErrorNumber());
  const ImagingStatus status =
      EncodeImageFile(bitmap, format, output.TemporaryPath(), OptionsFor(fileFormatType_));
  if (!IsOk(status))
    return Fail(fileName, StatusText(status));
  if (!output.Commit())
    return FailInSystem(fileName, "cannot complete the file", output.ErrorNumber());
  return true;
}

bool ImageWriter::CopyStaged(const std::string& source, const StoredFaxG4& fax, double dpiX,
                             double dpiY, const std::string& fileName) {
  StagedOutputFile output(fileName);
  if (!output.Create())
    return FailInSystem(fileName, "cannot create the file", output.ErrorNumber());
  if (const ImagingStatus status = CopyFaxG4Page(source, fax, dpiX, dpiY, output.TemporaryPath());
      !IsOk(status))
    return Fail(fileName, StatusText(status));
  if (!output.Commit())
    return FailInSystem(fileName, "cannot complete the file", output.ErrorNumber());
  return true;
}

ResultCode ImageWriter::Save(const std::vector<std::string>& pageFiles, const std::string& fileName,
                             int, int) {
  BeginOperation();
  if (pageFiles.empty() || fileName.empty())
    return Fail(E_INVALIDARG, fileName, "no page files or file name to combine into");
  if (!IsTiffFormat(fileFormatType_))
    return Fail(
        E_INVALIDARG, fileName,
        FileFormatDisplayName(fileFormatType_) + " holds one page; only TIFF combines pages");
  Log(LOG_LOCATION, "vector Save(%s)", fileName.c_str());
  return CombinePages(pageFiles, fileName);
}

ResultCode ImageWriter::CombinePages(const std::vector<std::string>& pageFiles,
                                     const std::string& fileName) {
  StagedOutputFile output(fileName);
  if (!output.Create()) {
    FailInSystem(fileName, "cannot create the file", output.ErrorNumber());
    return E_FAIL;
  }
  TiffPageWriter writer;
  if (ImagingStatus status =
          writer.Open(output.TemporaryPath(), OptionsFor(fileFormatType_).tiffCompression);
      !IsOk(status))
    return Fail(E_FAIL, fileName, StatusText(status));
  for (std::size_t i = 0; i < pageFiles.size(); ++i) {
    if (i == 0)
      Log(LOG_LOCATION, "multiframe Save(%s)", fileName.c_str());
    else
      Log(LOG_LOCATION, "multiframe SaveAdd(%s)", pageFiles[i].c_str());
    // One page at a time, so memory does not grow with the page count.
    if (ImagingStatus status = writer.AddPageFile(pageFiles[i]);
        status == ImagingStatus::WriteFailed)
      return Fail(E_FAIL, fileName, StatusText(status));
    else if (!IsOk(status))
      return Fail(E_FAIL, pageFiles[i], "page cannot be read: " + StatusText(status));
  }
  Log(LOG_LOCATION, "successful SaveAdd()");
  if (ImagingStatus status = writer.Close(); !IsOk(status))
    return Fail(E_FAIL, fileName, StatusText(status));
  if (!output.Commit()) {
    FailInSystem(fileName, "cannot complete the file", output.ErrorNumber());
    return E_FAIL;
  }
  return S_OK;
}

ResultCode ImageWriter::Expand(const std::string& sourceFile, const std::string& folder,
                               const std::string& nameFormat, std::vector<std::string>& files,
                               PageSize& pageSize) {
  BeginOperation();
  if (sourceFile.empty() || folder.empty() || nameFormat.empty() || !IsPageNameFormat(nameFormat))
    return Fail(E_INVALIDARG, sourceFile, "no folder or no usable page name format to expand into");
  if (fileFormatType_ != FileFormatType::Jpeg && fileFormatType_ != FileFormatType::Png)
    return Fail(E_INVALIDARG, sourceFile,
                "pages are expanded as JPEG or PNG, not " + FileFormatDisplayName(fileFormatType_));
  // A failure part of the way leaves nothing: half a document's pages would
  // pass for all of them.
  const std::size_t before = files.size();
  const ResultCode result = ExpandFrames(sourceFile, folder, nameFormat, files, pageSize);
  if (Failed(result)) {
    for (std::size_t i = before; i < files.size(); ++i)
      std::remove(files[i].c_str());
    files.resize(before);
  }
  return result;
}

ResultCode ImageWriter::ExpandFrames(const std::string& sourceFile, const std::string& folder,
                                     const std::string& nameFormat, std::vector<std::string>& files,
                                     PageSize& pageSize) {
  std::unique_ptr<ImageFile> source;
  if (ImagingStatus status = ImageFile::Open(sourceFile, source); !IsOk(status))
    return Fail(E_INVALIDARG, sourceFile, "cannot be read: " + StatusText(status));
  if (source->FrameCount() <= 0)
    return Fail(E_INVALIDARG, sourceFile, "holds no pages");
  pageSize = PageSizeOf(*source);
  const std::string prefix = EnsureTrailingSeparator(folder);
  for (int i = 0; i < source->FrameCount(); ++i) {
    Bitmap page;
    const std::optional<std::string> name = FormatPageName(nameFormat, i);
    if (!name)
      return Fail(E_FAIL, sourceFile, "no page name for page " + std::to_string(i + 1));
    if (ImagingStatus status = source->SelectActiveFrame(i); !IsOk(status))
      return Fail(E_FAIL, sourceFile, "page " + std::to_string(i + 1) + ": " + StatusText(status));
    // Black-and-white pages stay so: Group 4 data is copied as it stands,
    // other 1-bit pages go to PNG where JPEG would blur them.
    StoredFaxG4 fax;
    if (IsOk(source->FindStoredFaxG4(fax))) {
      const std::string path = prefix + RemoveExtension(*name) + ".tif";
      if (!CopyStaged(sourceFile, fax, source->DpiX(), source->DpiY(), path))
        return E_FAIL;
      files.push_back(path);
      continue;
    }
    if (ImagingStatus status = source->Decode(page); !IsOk(status))
      return Fail(E_FAIL, sourceFile, "page " + std::to_string(i + 1) + ": " + StatusText(status));
    const bool blackAndWhite = page.Format() == PixelFormat::Indexed1 && page.HasGreyPalette();
    const std::string path = blackAndWhite && fileFormatType_ == FileFormatType::Jpeg
                                 ? prefix + RemoveExtension(*name) + ".png"
                                 : prefix + *name;
    if (!WriteStaged(page, path,
                     path == prefix + *name ? EncoderFor(fileFormatType_) : ImageFormat::Png))
      return E_FAIL;
    files.push_back(path);
  }
  return S_OK;
}
