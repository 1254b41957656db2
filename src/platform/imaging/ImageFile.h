#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImageFormat.h"
#include "platform/imaging/PageRowSource.h"

class ImageInput;
struct StoredFaxG4;

// A decodable image file of one or more frames (multi-page TIFF, GIF frames);
// BMP, JPEG and PNG have one. Opening reads only the headers; Decode reads the
// pixels of the active frame (frame 0 after opening).
//
//   std::unique_ptr<ImageFile> file;
//   if (IsOk(ImageFile::Open(path, file)))
//     for (int i = 0; i < file->FrameCount(); ++i) { file->SelectActiveFrame(i); file->Decode(bmp);
//     }
class ImageFile {
 public:
  virtual ~ImageFile();

  static ImagingStatus Open(const std::string& path, std::unique_ptr<ImageFile>& out);
  // The block must outlive the ImageFile (used by tests and fuzzers).
  static ImagingStatus OpenMemory(const std::uint8_t* data, std::size_t size,
                                  std::unique_ptr<ImageFile>& out);

  virtual ImageFormat Format() const = 0;
  virtual int FrameCount() const = 0;
  // InvalidParameter for an index outside 0..FrameCount()-1.
  virtual ImagingStatus SelectActiveFrame(int index) = 0;
  int ActiveFrame() const { return activeFrame_; }

  // Size and resolution of the active frame, known without decoding (dpi 0 when unknown).
  int Width() const { return width_; }
  int Height() const { return height_; }
  double DpiX() const { return dpiX_; }
  double DpiY() const { return dpiY_; }

  virtual ImagingStatus Decode(Bitmap& out) = 0;
  // Every byte read from the file so far, re-reads included.
  std::uint64_t BytesRead() const;
  // The active frame's rows as stored, for copying it a band at a time, when
  // they are exactly the rows Decode would give; NotSupported otherwise. The
  // source reads through this file: it must not outlive it or a frame change.
  virtual ImagingStatus OpenRows(std::unique_ptr<PageRowSource>&) {
    return ImagingStatus::NotSupported;
  }
  // Where the active frame's Group 4 data lies in the file, when it can be
  // copied as it is (TIFF only); NotSupported otherwise.
  virtual ImagingStatus FindStoredFaxG4(StoredFaxG4&) { return ImagingStatus::NotSupported; }

 protected:
  explicit ImageFile(std::unique_ptr<ImageInput> input);
  void SetFrameInfo(int width, int height, double dpiX, double dpiY);
  ImageInput& Input() { return *input_; }

  int activeFrame_ = 0;

 private:
  std::unique_ptr<ImageInput> input_;
  int width_ = 0;
  int height_ = 0;
  double dpiX_ = 0;
  double dpiY_ = 0;
};

// Decodes one frame of a file in one call (the viewer's and the tests' helper).
ImagingStatus DecodeImageFile(const std::string& path, Bitmap& out, int frame = 0);
