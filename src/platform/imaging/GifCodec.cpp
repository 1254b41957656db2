#include "platform/imaging/GifCodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

#include "platform/imaging/ColourQuantiser.h"
#include "platform/imaging/DecodeLimit.h"
#include "platform/imaging/ImageInput.h"
#include "platform/imaging/PixelRows.h"

namespace {

int ReadFromInput(GifFileType* gif, GifByteType* buffer, int length) {
  auto* input = static_cast<ImageInput*>(gif->UserData);
  return length <= 0 ? 0 : static_cast<int>(input->Read(buffer, static_cast<std::size_t>(length)));
}

struct GifCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifReader = std::unique_ptr<GifFileType, GifCloser>;

// giflib keeps a record of every frame it has passed; dropping them as we go
// keeps the memory of a walk through a file of many frames to one frame's.
void ForgetPassedFrames(GifFileType* gif) {
  GifFreeSavedImages(gif);
  gif->ImageCount = 0;
}

ImagingStatus OpenReader(ImageInput& input, GifReader& reader) {
  if (!input.Seek(0))
    return ImagingStatus::ReadFailed;
  int error = 0;
  reader.reset(DGifOpen(&input, ReadFromInput, &error));
  return reader != nullptr ? ImagingStatus::Ok : ImagingStatus::CorruptData;
}

bool SkipCodeBlocks(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
    return false;
  while (block != nullptr)
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
      return false;
  return true;
}

bool SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
    return false;
  while (block != nullptr)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
      return false;
  return true;
}

// Walks the records from frame `frame` (the next one in the file) up to the
// image descriptor of frame `target` (or to the end when target is negative),
// calling onFrame for every frame passed.
template <typename OnFrame>
ImagingStatus WalkFrames(GifFileType* gif, int frame, int target, OnFrame onFrame) {
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR)
      return ImagingStatus::CorruptData;
    if (type == TERMINATE_RECORD_TYPE)
      return target < 0 ? ImagingStatus::Ok : ImagingStatus::InvalidParameter;
    if (type == EXTENSION_RECORD_TYPE) {
      if (!SkipExtension(gif))
        return ImagingStatus::CorruptData;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR)
      return ImagingStatus::CorruptData;
    ForgetPassedFrames(gif);
    if (frame == target)
      return ImagingStatus::Ok;
    onFrame(GifFrameInfo{gif->Image.Width, gif->Image.Height});
    if (!SkipCodeBlocks(gif))
      return ImagingStatus::CorruptData;
    ++frame;
  }
}

std::vector<PaletteEntry> FramePalette(const GifFileType* gif) {
  const ColorMapObject* map = gif->Image.ColorMap != nullptr ? gif->Image.ColorMap : gif->SColorMap;
  if (map == nullptr)
    return GreyPalette(256);
  std::vector<PaletteEntry> palette(256);
  for (int i = 0; i < map->ColorCount && i < 256; ++i)
    palette[static_cast<std::size_t>(i)] = {map->Colors[i].Red, map->Colors[i].Green,
                                            map->Colors[i].Blue, 255};
  return palette;
}

ImagingStatus ReadFrameRows(GifFileType* gif, Bitmap& bitmap) {
  const int height = bitmap.Height();
  const auto readRow = [&](int y) {
    return DGifGetLine(gif, bitmap.Row(y), bitmap.Width()) != GIF_ERROR;
  };
  if (!gif->Image.Interlace) {
    for (int y = 0; y < height; ++y)
      if (!readRow(y))
        return ImagingStatus::CorruptData;
    return ImagingStatus::Ok;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass])
      if (!readRow(y))
        return ImagingStatus::CorruptData;
  return ImagingStatus::Ok;
}

}  // namespace

ImagingStatus ScanGifFrames(ImageInput& input, std::vector<GifFrameInfo>& frames) {
  GifReader gif;
  if (ImagingStatus status = OpenReader(input, gif); !IsOk(status))
    return status;
  frames.clear();
  const ImagingStatus status =
      WalkFrames(gif.get(), 0, -1, [&](const GifFrameInfo& info) { frames.push_back(info); });
  if (!IsOk(status))
    return status;
  return frames.empty() ? ImagingStatus::CorruptData : ImagingStatus::Ok;
}

GifFrameReader::GifFrameReader(ImageInput& input) : input_(input) {}

GifFrameReader::~GifFrameReader() {
  if (gif_ != nullptr)
    DGifCloseFile(gif_, nullptr);
}

ImagingStatus GifFrameReader::Decode(int index, Bitmap& out) {
  if (index < 0)
    return ImagingStatus::InvalidParameter;
  // Going on from the frame after the last one decoded reads the file once
  // for all frames; going back starts again from the top.
  if (gif_ == nullptr || index < nextFrame_) {
    GifReader reader;
    if (ImagingStatus status = OpenReader(input_, reader); !IsOk(status))
      return status;
    if (gif_ != nullptr)
      DGifCloseFile(gif_, nullptr);
    gif_ = reader.release();
    nextFrame_ = 0;
  }
  // After a failure the reader is somewhere inside a frame: start again next time.
  const int from = nextFrame_;
  nextFrame_ = INT_MAX;
  if (ImagingStatus status = WalkFrames(gif_, from, index, [](const GifFrameInfo&) {});
      !IsOk(status))
    return status;
  if (ImagingStatus status =
          CheckDecodeSize(Bitmap::StrideFor(std::max(gif_->Image.Width, 0), PixelFormat::Indexed8) *
                          static_cast<std::uint64_t>(std::max(gif_->Image.Height, 0)));
      !IsOk(status))
    return status;
  Bitmap bitmap;
  if (ImagingStatus status =
          Bitmap::Create(gif_->Image.Width, gif_->Image.Height, PixelFormat::Indexed8, bitmap);
      !IsOk(status))
    return status == ImagingStatus::InvalidParameter ? ImagingStatus::CorruptData : status;
  bitmap.SetPalette(FramePalette(gif_));
  if (ImagingStatus status = ReadFrameRows(gif_, bitmap); !IsOk(status))
    return status;
  nextFrame_ = index + 1;
  out = std::move(bitmap);
  return ImagingStatus::Ok;
}

ImagingStatus DecodeGifFrame(ImageInput& input, int index, Bitmap& out) {
  return GifFrameReader(input).Decode(index, out);
}

namespace {

int WriteToFile(GifFileType* gif, const GifByteType* data, int length) {
  auto* file = static_cast<std::FILE*>(gif->UserData);
  return static_cast<int>(std::fwrite(data, 1, static_cast<std::size_t>(length), file));
}

struct ColorMapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

std::unique_ptr<ColorMapObject, ColorMapDeleter> MakeColourMap(
    const std::vector<PaletteEntry>& palette, int entries) {
  std::unique_ptr<ColorMapObject, ColorMapDeleter> map(GifMakeMapObject(entries, nullptr));
  if (map == nullptr)
    return map;
  for (int i = 0; i < entries; ++i) {
    const PaletteEntry e = static_cast<std::size_t>(i) < palette.size()
                               ? palette[static_cast<std::size_t>(i)]
                               : PaletteEntry{};
    map->Colors[i] = {e.red, e.green, e.blue};
  }
  return map;
}

ImagingStatus WriteGif(GifFileType* gif, const Bitmap& bitmap, const ColorMapObject* map,
                       ColourQuantiser* quantiser) {
  if (EGifPutScreenDesc(gif, bitmap.Width(), bitmap.Height(), 8, 0, map) == GIF_ERROR ||
      EGifPutImageDesc(gif, 0, 0, bitmap.Width(), bitmap.Height(), false, nullptr) == GIF_ERROR)
    return ImagingStatus::WriteFailed;
  std::vector<GifPixelType> line(static_cast<std::size_t>(bitmap.Width()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    if (quantiser != nullptr)
      quantiser->MapRow(y, line.data());
    else
      ExpandRowToIndices(bitmap, y, line.data());
    if (EGifPutLine(gif, line.data(), bitmap.Width()) == GIF_ERROR)
      return ImagingStatus::WriteFailed;
  }
  return ImagingStatus::Ok;
}

}  // namespace

ImagingStatus EncodeGif(const Bitmap& bitmap, std::FILE* file) {
  if (bitmap.IsEmpty() || file == nullptr)
    return ImagingStatus::InvalidParameter;
  std::optional<ColourQuantiser> quantiser;
  const bool indexed =
      bitmap.Format() == PixelFormat::Indexed1 || bitmap.Format() == PixelFormat::Indexed8;
  if (!indexed)
    quantiser.emplace(bitmap);
  const auto map = MakeColourMap(indexed ? bitmap.Palette() : quantiser->Palette(),
                                 bitmap.Format() == PixelFormat::Indexed1 ? 2 : 256);
  int error = 0;
  GifFileType* gif = EGifOpen(file, WriteToFile, &error);
  if (map == nullptr || gif == nullptr) {
    if (gif != nullptr)
      EGifCloseFile(gif, nullptr);
    return ImagingStatus::OutOfMemory;
  }
  EGifSetGifVersion(gif, false);
  ImagingStatus status = WriteGif(gif, bitmap, map.get(), quantiser ? &*quantiser : nullptr);
  if (EGifCloseFile(gif, &error) == GIF_ERROR && IsOk(status))
    status = ImagingStatus::WriteFailed;
  return IsOk(status) && std::ferror(file) ? ImagingStatus::WriteFailed : status;
}
