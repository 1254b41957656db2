#include "MendDocuments.h"

#include <tiffio.h>

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 8;

std::string Bytes(const std::shared_ptr<Buffer>& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

std::string Compressed(const std::string& data) {
  Pl_Buffer buffer("compressed");
  Pl_Flate flate("flate", &buffer, Pl_Flate::a_deflate);
  flate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
  flate.finish();
  return Bytes(buffer.getBufferSharedPointer());
}

}  // namespace

void MakePdf(const std::string& path, int count, const std::vector<int>& rotations) {
  QPDF pdf;
  pdf.emptyPDF();
  QPDFPageDocumentHelper document(pdf);
  for (int page = 1; page <= count; ++page) {
    auto image = pdf.newStream(Compressed(std::string(kWidth * kHeight, static_cast<char>(page))));
    image.replaceDict(QPDFObjectHandle::parse(
        "<< /Type /XObject /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceGray "
        "/BitsPerComponent 8 /Filter /FlateDecode >>"));
    auto contents = pdf.newStream("q 612 0 0 792 0 0 cm /Im0 Do Q BT ET");
    auto pageObject = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 612 792] /Resources << /XObject << >> >> >>"));
    pageObject.getKey("/Resources").getKey("/XObject").replaceKey("/Im0", image);
    pageObject.replaceKey("/Contents", contents);
    if (static_cast<std::size_t>(page) <= rotations.size() && rotations[page - 1] != 0)
      pageObject.replaceKey("/Rotate", QPDFObjectHandle::newInteger(rotations[page - 1]));
    document.addPage(QPDFPageObjectHelper(pageObject), false);
  }
  QPDFWriter writer(pdf, path.c_str());
  writer.write();
}

std::vector<PageFacts> ReadPdfPages(const std::string& path) {
  QPDF pdf;
  pdf.processFile(path.c_str());
  std::vector<PageFacts> pages;
  for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    auto image = page.getObjectHandle().getKey("/Resources").getKey("/XObject").getKey("/Im0");
    PageFacts facts;
    facts.rawImage = Bytes(image.getRawStreamData());
    facts.marker = static_cast<unsigned char>(Bytes(image.getStreamData()).at(0));
    auto rotate = page.getAttribute("/Rotate", false);
    facts.rotation = rotate.isInteger() ? rotate.getIntValueAsInt() : 0;
    pages.push_back(facts);
  }
  return pages;
}

void MakeTiff(const std::string& path, int count, const std::vector<int>& orientations) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr)
    throw std::runtime_error("cannot write " + path);
  for (int page = 1; page <= count; ++page) {
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kHeight / 2);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, page - 1, count);
    if (static_cast<std::size_t>(page) <= orientations.size() && orientations[page - 1] != 0)
      TIFFSetField(tif, TIFFTAG_ORIENTATION, orientations[page - 1]);
    std::string row(kWidth, static_cast<char>(page));
    row[1] = static_cast<char>(page * 7);  // something for the predictor to do
    for (int y = 0; y < kHeight; ++y)
      TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

std::vector<PageFacts> ReadTiffPages(const std::string& path) {
  std::vector<PageFacts> pages;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr)
    return pages;
  do {
    PageFacts facts;
    std::string row(kWidth, '\0');
    TIFFReadScanline(tif, row.data(), 0, 0);
    facts.marker = static_cast<unsigned char>(row[0]);
    uint16_t orientation = 0;
    if (TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation))
      facts.rotation = orientation;
    for (uint32_t strip = 0; strip < TIFFNumberOfStrips(tif); ++strip) {
      std::string raw(TIFFGetStrileByteCount(tif, strip), '\0');
      TIFFReadRawStrip(tif, strip, raw.data(), static_cast<tmsize_t>(raw.size()));
      facts.rawImage += raw;
    }
    pages.push_back(facts);
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return pages;
}
