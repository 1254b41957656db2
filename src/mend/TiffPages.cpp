#include "mend/TiffPages.h"

#include <tiffio.h>

#include <memory>

namespace {

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

// The orientations as (quarter turns clockwise, mirrored) applied in that
// order after a left-right mirror: turning adds to the quarter turns.
constexpr int kOrientations[2][4] = {
    {ORIENTATION_TOPLEFT, ORIENTATION_RIGHTTOP, ORIENTATION_BOTRIGHT, ORIENTATION_LEFTBOT},
    {ORIENTATION_TOPRIGHT, ORIENTATION_RIGHTBOT, ORIENTATION_BOTLEFT, ORIENTATION_LEFTTOP}};

template <typename T>
void CopyValue(TIFF* in, TIFF* out, ttag_t tag) {
  T value{};
  if (TIFFGetField(in, tag, &value))
    TIFFSetField(out, tag, value);
}

template <typename T>
void CopyPair(TIFF* in, TIFF* out, ttag_t tag) {
  T first{}, second{};
  if (TIFFGetField(in, tag, &first, &second))
    TIFFSetField(out, tag, first, second);
}

// A count and an array, as JPEG tables and ICC profiles are kept.
void CopyCounted(TIFF* in, TIFF* out, ttag_t tag) {
  uint32_t count = 0;
  void* data = nullptr;
  if (TIFFGetField(in, tag, &count, &data))
    TIFFSetField(out, tag, count, data);
}

// The tags that describe a page and its data; the codec's own tags follow the
// compression, which sets them up.
void CopyTags(TIFF* in, TIFF* out, int quarterTurns) {
  for (ttag_t tag : {TIFFTAG_SUBFILETYPE, TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH,
                     TIFFTAG_ROWSPERSTRIP, TIFFTAG_TILEWIDTH, TIFFTAG_TILELENGTH})
    CopyValue<uint32_t>(in, out, tag);
  for (ttag_t tag :
       {TIFFTAG_BITSPERSAMPLE, TIFFTAG_SAMPLESPERPIXEL, TIFFTAG_COMPRESSION, TIFFTAG_PHOTOMETRIC,
        TIFFTAG_PLANARCONFIG, TIFFTAG_FILLORDER, TIFFTAG_RESOLUTIONUNIT, TIFFTAG_SAMPLEFORMAT,
        TIFFTAG_PREDICTOR, TIFFTAG_THRESHHOLDING, TIFFTAG_INKSET, TIFFTAG_YCBCRPOSITIONING,
        TIFFTAG_MINSAMPLEVALUE, TIFFTAG_MAXSAMPLEVALUE})
    CopyValue<uint16_t>(in, out, tag);
  for (ttag_t tag : {TIFFTAG_GROUP3OPTIONS, TIFFTAG_GROUP4OPTIONS})
    CopyValue<uint32_t>(in, out, tag);
  for (ttag_t tag :
       {TIFFTAG_XRESOLUTION, TIFFTAG_YRESOLUTION, TIFFTAG_XPOSITION, TIFFTAG_YPOSITION})
    CopyValue<float>(in, out, tag);
  for (ttag_t tag : {TIFFTAG_DOCUMENTNAME, TIFFTAG_IMAGEDESCRIPTION, TIFFTAG_MAKE, TIFFTAG_MODEL,
                     TIFFTAG_SOFTWARE, TIFFTAG_DATETIME, TIFFTAG_ARTIST, TIFFTAG_HOSTCOMPUTER,
                     TIFFTAG_PAGENAME, TIFFTAG_COPYRIGHT})
    CopyValue<const char*>(in, out, tag);
  CopyPair<uint16_t>(in, out, TIFFTAG_YCBCRSUBSAMPLING);
  CopyCounted(in, out, TIFFTAG_JPEGTABLES);
  CopyCounted(in, out, TIFFTAG_ICCPROFILE);
  float* reference = nullptr;
  if (TIFFGetField(in, TIFFTAG_REFERENCEBLACKWHITE, &reference))
    TIFFSetField(out, TIFFTAG_REFERENCEBLACKWHITE, reference);
  uint16_t* red = nullptr;
  uint16_t* green = nullptr;
  uint16_t* blue = nullptr;
  if (TIFFGetField(in, TIFFTAG_COLORMAP, &red, &green, &blue))
    TIFFSetField(out, TIFFTAG_COLORMAP, red, green, blue);
  uint16_t extraCount = 0;
  uint16_t* extra = nullptr;
  if (TIFFGetField(in, TIFFTAG_EXTRASAMPLES, &extraCount, &extra))
    TIFFSetField(out, TIFFTAG_EXTRASAMPLES, extraCount, extra);
  uint16_t orientation = ORIENTATION_TOPLEFT;
  const bool hadOrientation = TIFFGetField(in, TIFFTAG_ORIENTATION, &orientation) != 0;
  if (hadOrientation || quarterTurns != 0)
    TIFFSetField(out, TIFFTAG_ORIENTATION,
                 static_cast<uint16_t>(TurnedOrientation(orientation, quarterTurns)));
}

std::optional<std::string> CopyData(TIFF* in, TIFF* out) {
  const bool tiled = TIFFIsTiled(in) != 0;
  const uint32_t blocks = tiled ? TIFFNumberOfTiles(in) : TIFFNumberOfStrips(in);
  std::vector<unsigned char> buffer;
  for (uint32_t block = 0; block < blocks; ++block) {
    const uint64_t size = TIFFGetStrileByteCount(in, block);
    buffer.resize(static_cast<std::size_t>(size));
    const auto length = static_cast<tmsize_t>(size);
    const tmsize_t read = tiled ? TIFFReadRawTile(in, block, buffer.data(), length)
                                : TIFFReadRawStrip(in, block, buffer.data(), length);
    if (read != length)
      return std::string(TIFFFileName(in)) + ": a page's data cannot be read";
    const tmsize_t written = tiled ? TIFFWriteRawTile(out, block, buffer.data(), length)
                                   : TIFFWriteRawStrip(out, block, buffer.data(), length);
    if (written != length)
      return std::string(TIFFFileName(out)) + ": cannot be written";
  }
  return std::nullopt;
}

bool WideSamples(TIFF* tif) {
  uint16_t bits = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  return bits > 8;
}

std::optional<std::string> WriteOutput(const std::vector<TiffFile>& sources,
                                       const PageOutput& output) {
  if (output.pages.empty())
    return std::string("no pages to write");
  TIFF* first = sources.at(output.pages.front().file).get();
  // The byte order of the pages' samples stays as the first page's file has it.
  std::string mode = TIFFIsBigEndian(first) ? "wb" : "wl";
  for (const PageSource& page : output.pages)
    if (TIFFIsBigTIFF(sources.at(page.file).get()))
      mode += "8";
  if (mode.size() > 3)
    mode.resize(3);
  TiffFile out(TIFFOpen(output.path.c_str(), mode.c_str()));
  if (!out)
    return output.path + ": cannot be written";
  const auto total = static_cast<uint16_t>(output.pages.size());
  for (std::size_t i = 0; i < output.pages.size(); ++i) {
    const PageSource& page = output.pages[i];
    TIFF* in = sources.at(page.file).get();
    if (!TIFFSetDirectory(in, static_cast<tdir_t>(page.page)))
      return std::string(TIFFFileName(in)) + ": a page cannot be read";
    if (TIFFIsBigEndian(in) != TIFFIsBigEndian(first) && WideSamples(in))
      return std::string(TIFFFileName(in)) + ": its byte order differs from the other pages'";
    CopyTags(in, out.get(), page.quarterTurns);
    if (uint16_t number = 0, count = 0; TIFFGetField(in, TIFFTAG_PAGENUMBER, &number, &count))
      TIFFSetField(out.get(), TIFFTAG_PAGENUMBER, static_cast<uint16_t>(i), total);
    if (auto failure = CopyData(in, out.get()))
      return failure;
    if (!TIFFWriteDirectory(out.get()))
      return output.path + ": cannot be written";
  }
  if (!TIFFFlush(out.get()))
    return output.path + ": cannot be written";
  return std::nullopt;
}

std::optional<std::string> OpenAll(const std::vector<std::string>& files,
                                   std::vector<TiffFile>& sources) {
  for (const std::string& file : files) {
    sources.emplace_back(TIFFOpen(file.c_str(), "r"));
    if (!sources.back())
      return file + ": not a TIFF file that can be read";
  }
  return std::nullopt;
}

class TiffFiles : public PageFiles {
 public:
  std::vector<int> PageCounts() const override {
    std::vector<int> counts;
    for (const TiffFile& tif : sources)
      counts.push_back(static_cast<int>(TIFFNumberOfDirectories(tif.get())));
    return counts;
  }

  std::optional<std::string> Write(const std::vector<PageOutput>& outputs) override {
    for (const PageOutput& output : outputs)
      if (auto failure = WriteOutput(sources, output))
        return failure;
    return std::nullopt;
  }

  std::vector<TiffFile> sources;
};

}  // namespace

int TurnedOrientation(int orientation, int quarterTurns) {
  for (int mirrored = 0; mirrored < 2; ++mirrored)
    for (int turns = 0; turns < 4; ++turns)
      if (kOrientations[mirrored][turns] == orientation)
        return kOrientations[mirrored][((turns + quarterTurns) % 4 + 4) % 4];
  return kOrientations[0][((quarterTurns % 4) + 4) % 4];
}

std::unique_ptr<PageFiles> OpenTiffFiles(const std::vector<std::string>& files,
                                         std::string& error) {
  auto opened = std::make_unique<TiffFiles>();
  if (auto failure = OpenAll(files, opened->sources)) {
    error = *failure;
    return nullptr;
  }
  return opened;
}
