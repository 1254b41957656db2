#include "platform/imaging/FaxG4.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/imaging/ImageInput.h"
#include "platform/imaging/TiffReader.h"

namespace {

// libtiff writes its G4 strip into this growing block; only the strip is kept.
struct MemoryFile {
  std::vector<std::uint8_t> bytes;
  std::uint64_t position = 0;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  const std::uint64_t left =
      file->bytes.size() > file->position ? file->bytes.size() - file->position : 0;
  const auto count =
      static_cast<std::size_t>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(size)));
  std::memcpy(buffer, file->bytes.data() + file->position, count);
  file->position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  const auto count = static_cast<std::size_t>(size);
  if (file->bytes.size() < file->position + count)
    file->bytes.resize(file->position + count);
  std::memcpy(file->bytes.data() + file->position, buffer, count);
  file->position += count;
  return size;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (whence == SEEK_CUR)
    offset += file->position;
  else if (whence == SEEK_END)
    offset += file->bytes.size();
  file->position = offset;
  return offset;
}

int CloseProc(thandle_t) {
  return 0;
}
toff_t SizeProc(thandle_t handle) {
  return static_cast<MemoryFile*>(handle)->bytes.size();
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

// Perceived brightness of a palette entry, to tell its black from its white.
int Brightness(const PaletteEntry& entry) {
  return entry.red * 299 + entry.green * 587 + entry.blue * 114;
}

}  // namespace

ImagingStatus EncodeFaxG4(const Bitmap& bitmap, std::vector<std::uint8_t>& out) {
  if (bitmap.IsEmpty() || bitmap.Format() != PixelFormat::Indexed1 || !bitmap.HasGreyPalette())
    return ImagingStatus::InvalidParameter;
  // G4 codes 0 bits as white; a palette whose entry 0 is black is inverted.
  const bool invert = Brightness(bitmap.Palette()[0]) < Brightness(bitmap.Palette()[1]);
  const auto rowBytes = static_cast<std::size_t>((bitmap.Width() + 7) / 8);
  std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(bitmap.Height()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* row = rows.data() + rowBytes * static_cast<std::size_t>(y);
    std::memcpy(row, bitmap.Row(y), rowBytes);
    if (invert)
      for (std::size_t i = 0; i < rowBytes; ++i)
        row[i] = static_cast<std::uint8_t>(~row[i]);
  }
  SilenceTiffMessages();
  MemoryFile file;
  TIFF* tif = TIFFClientOpen("fax", "w", &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                             MapProc, UnmapProc);
  if (tif == nullptr)
    return ImagingStatus::OutOfMemory;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(bitmap.Width()));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(bitmap.Height()));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(bitmap.Height()));
  const bool written =
      TIFFWriteEncodedStrip(tif, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0;
  std::uint64_t* offsets = nullptr;
  std::uint64_t* counts = nullptr;
  const bool found = written && TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) &&
                     TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
  const std::uint64_t offset = found ? offsets[0] : 0;
  const std::uint64_t count = found ? counts[0] : 0;
  TIFFClose(tif);
  if (!found || offset + count > file.bytes.size())
    return ImagingStatus::WriteFailed;
  out.assign(file.bytes.begin() + static_cast<std::ptrdiff_t>(offset),
             file.bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
  return ImagingStatus::Ok;
}

ImagingStatus CopyFaxG4Page(const std::string& source, const StoredFaxG4& fax, double dpiX,
                            double dpiY, const std::string& target) {
  std::unique_ptr<ImageInput> input;
  if (const ImagingStatus status = ImageInput::OpenFile(source, input); !IsOk(status))
    return status;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(fax.length));
  if (!input->Seek(fax.offset) || input->Read(data.data(), data.size()) != data.size())
    return ImagingStatus::ReadFailed;
  SilenceTiffMessages();
  TIFF* tif = TIFFOpen(target.c_str(), "w");
  if (tif == nullptr)
    return ImagingStatus::WriteFailed;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(fax.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(fax.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
               fax.zeroIsBlack ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(fax.height));
  if (dpiX > 0 && dpiY > 0) {
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(dpiX));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(dpiY));
  }
  const bool written =
      TIFFWriteRawStrip(tif, 0, data.data(), static_cast<tmsize_t>(data.size())) >= 0 &&
      TIFFWriteDirectory(tif) != 0;
  TIFFClose(tif);
  return written ? ImagingStatus::Ok : ImagingStatus::WriteFailed;
}
