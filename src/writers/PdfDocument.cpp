#include "writers/PdfDocument.h"

#include <fcntl.h>
#include <unistd.h>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cerrno>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <utility>

#include "core/DebugLog.h"
#include "ocr/PageText.h"
#include "platform/imaging/ImagingErrorText.h"
#include "writers/CheckedPdfOutput.h"
#include "writers/FailureText.h"
#include "writers/PdfPageImage.h"
#include "writers/PdfTextLayer.h"

namespace {

double ToPoints(int thousandths) {
  return thousandths * 72.0 / 1000.0;
}

// The document size names the paper; each page lies on it the way its image
// lies, so a page turned by a quarter gets a landscape box of the same paper
// instead of being squeezed into a portrait one. A square image keeps the
// document's orientation.
void OrientPageBox(const PdfPageImage& image, double& pageWidth, double& pageHeight) {
  const bool landscapeImage = image.width > image.height;
  const bool landscapeBox = pageWidth > pageHeight;
  if (image.width != image.height && landscapeImage != landscapeBox)
    std::swap(pageWidth, pageHeight);
}

bool IsPageImageFormat(FileFormatType format) {
  return format == FileFormatType::Jpeg || format == FileFormatType::Png;
}

}  // namespace

// The values pages repeat (names, sizes, page boxes, decoding parameters):
// each made once and shared by every page's dictionaries, which qpdf writes
// out in full wherever they stand. A document's memory then grows by little
// more than each page's own dictionaries and object numbers.
class PdfSharedValues {
 public:
  QPDFObjectHandle Name(const std::string& name) {
    return Find(names_, name, [&] { return QPDFObjectHandle::newName(name); });
  }
  QPDFObjectHandle Integer(long long value) {
    return Find(integers_, value, [&] { return QPDFObjectHandle::newInteger(value); });
  }
  QPDFObjectHandle Box(double width, double height) {
    return Find(boxes_, std::make_pair(width, height), [&] {
      return QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, width, height));
    });
  }
  // A page's contents: pages without text draw their image the same way on
  // the same paper, so they share one stream.
  QPDFObjectHandle Contents(QPDF& pdf, const std::string& content, bool ownText) {
    if (ownText)
      return pdf.newStream(content);
    return Find(contents_, content, [&] { return pdf.newStream(content); });
  }
  // Any other direct value, shared by the text it unparses to.
  QPDFObjectHandle Shared(QPDFObjectHandle value) {
    const std::string key = value.unparse();
    return Find(others_, key, [&] { return value; });
  }

 private:
  template <typename Map, typename Key, typename Make>
  static QPDFObjectHandle Find(Map& map, const Key& key, Make make) {
    auto found = map.find(key);
    if (found == map.end())
      found = map.emplace(key, make()).first;
    return found->second;
  }

  std::map<std::string, QPDFObjectHandle> names_;
  std::map<long long, QPDFObjectHandle> integers_;
  std::map<std::pair<double, double>, QPDFObjectHandle> boxes_;
  std::map<std::string, QPDFObjectHandle> others_;
  std::map<std::string, QPDFObjectHandle> contents_;
};

namespace {

// The image dictionary's filter, parameters and colour space for a page file.
void DescribeImage(PdfSharedValues& values, QPDFObjectHandle dict, const PdfPageImage& image,
                   QPDFObjectHandle& filter, QPDFObjectHandle& parameters) {
  const auto Name = [&](const std::string& name) { return values.Name(name); };
  const auto Integer = [&](long long value) { return values.Integer(value); };
  dict.replaceKey("/Type", Name("/XObject"));
  dict.replaceKey("/Subtype", Name("/Image"));
  dict.replaceKey("/Width", Integer(image.width));
  dict.replaceKey("/Height", Integer(image.height));
  filter = QPDFObjectHandle::newNull();
  parameters = QPDFObjectHandle::newNull();
  if (image.IsFax()) {
    dict.replaceKey("/ColorSpace", Name("/DeviceGray"));
    dict.replaceKey("/BitsPerComponent", Integer(1));
    filter = Name("/CCITTFaxDecode");
    parameters = values.Shared(QPDFObjectHandle::newDictionary({{"/K", Integer(-1)},
                                                                {"/Columns", Integer(image.width)},
                                                                {"/Rows", Integer(image.height)}}));
    if (image.invert)
      dict.replaceKey("/Decode",
                      values.Shared(QPDFObjectHandle::newArray({Integer(1), Integer(0)})));
    return;
  }
  dict.replaceKey("/BitsPerComponent", Integer(image.bitsPerComponent));
  if (!image.palette.empty()) {
    const std::string table(image.palette.begin(), image.palette.end());
    dict.replaceKey("/ColorSpace",
                    values.Shared(QPDFObjectHandle::newArray(
                        {Name("/Indexed"), Name("/DeviceRGB"),
                         Integer(static_cast<long long>(image.palette.size() / 3) - 1),
                         QPDFObjectHandle::newString(table)})));
  } else {
    dict.replaceKey("/ColorSpace", Name(image.components == 3 ? "/DeviceRGB" : "/DeviceGray"));
  }
  if (image.data == PdfImageData::CopyJpeg) {
    filter = Name("/DCTDecode");
  } else if (image.data == PdfImageData::CopyPng) {
    filter = Name("/FlateDecode");
    parameters = values.Shared(
        QPDFObjectHandle::newDictionary({{"/Predictor", Integer(15)},
                                         {"/Colors", Integer(image.components)},
                                         {"/BitsPerComponent", Integer(image.bitsPerComponent)},
                                         {"/Columns", Integer(image.width)}}));
  }
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  return text;
}

}  // namespace

PdfDocument::PdfDocument() = default;

PdfDocument::~PdfDocument() {
  if (pdf_ != nullptr)
    CloseDocument();
}

void PdfDocument::ClearError() {
  errorText_.clear();
  errorDetail_.clear();
}

ResultCode PdfDocument::Fail(ResultCode code, const std::string& file, const std::string& what,
                             const std::string& detail) {
  errorText_ = FailureText(file, what, detail);
  errorDetail_ = detail;
  return code;
}

ResultCode PdfDocument::OpenDocument() {
  ClearError();
  if (pdf_ != nullptr)
    return Fail(E_INVALIDARG, {}, "a document is already open");
  try {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->emptyPDF();
    pdf_ = std::move(pdf);
    values_ = std::make_unique<PdfSharedValues>();
  } catch (const std::exception& error) {
    return Fail(E_FAIL, {}, "cannot start a document", error.what());
  }
  pageFailure_.clear();
  return S_OK;
}

ResultCode PdfDocument::AddPages(const std::vector<std::string>& pageFiles,
                                 FileFormatType imageFormat, int width, int height) {
  ClearError();
  if (pdf_ == nullptr || pageFiles.empty() || width <= 0 || height <= 0)
    return Fail(E_INVALIDARG, {}, "no open document, no pages or no page size");
  for (const std::string& pageFile : pageFiles)
    if (const ResultCode result = AddPage(pageFile, imageFormat, width, height); Failed(result))
      return result;
  return S_OK;
}

ResultCode PdfDocument::AddPage(const std::string& fileName, FileFormatType imageFormat, int width,
                                int height, const PageText* text) {
  ClearError();
  ClearImagingErrorText();
  if (pdf_ == nullptr || fileName.empty() || width <= 0 || height <= 0 ||
      !IsPageImageFormat(imageFormat))
    return Fail(E_INVALIDARG, fileName, "no open document, page size or page image format");
  PdfPageImage image;
  if (const ImagingStatus status = ProbePdfPageImage(fileName, image); !IsOk(status)) {
    const std::string why = ImagingErrorText();
    return Fail(E_FAIL, fileName, "page cannot be read",
                why.empty() ? ImagingStatusText(status) : why);
  }
  // A compressed document keeps its JPEG pages' loss to themselves: lossless
  // colour and grey pages do not belong in it, nor JPEG pages in the other.
  const bool jpeg = image.data == PdfImageData::CopyJpeg;
  if (imageFormat == FileFormatType::Jpeg ? !jpeg && !image.blackAndWhite : jpeg)
    return Fail(E_FAIL, fileName, "page cannot be read",
                imageFormat == FileFormatType::Jpeg ? "not a JPEG page" : "a JPEG page");
  double pageWidth = ToPoints(width);
  double pageHeight = ToPoints(height);
  OrientPageBox(image, pageWidth, pageHeight);
  try {
    QPDFObjectHandle picture = pdf_->newStream();
    QPDFObjectHandle filter, parameters;
    DescribeImage(*values_, picture.getDict(), image, filter, parameters);
    picture.replaceStreamData(
        [this, image](Pipeline* pipeline) {
          ClearImagingErrorText();
          const ImagingStatus status =
              WritePdfPageImage(image, [pipeline](const std::uint8_t* data, std::size_t size) {
                pipeline->write(data, size);
              });
          if (!IsOk(status)) {
            const std::string why = ImagingErrorText();
            pageFailure_ = FailureText(image.path, "page cannot be read",
                                       why.empty() ? std::string(ImagingStatusText(status)) : why);
            throw std::runtime_error(pageFailure_);
          }
          // Without it, data qpdf compresses on the way (decoded pages) stays
          // in its deflater and the image comes out empty.
          pipeline->finish();
        },
        filter, parameters);
    // Data that comes already encoded is written as it is read. Left to
    // filter, qpdf would try to, find it cannot, and read the page again.
    if (!filter.isNull())
      picture.setFilterOnWrite(false);

    std::string content =
        "q " + Number(pageWidth) + " 0 0 " + Number(pageHeight) + " 0 0 cm /Im0 Do Q\n";
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary(
        {{"/XObject", QPDFObjectHandle::newDictionary({{"/Im0", picture}})}});
    bool ownText = false;
    if (text != nullptr) {
      if (!textLayer_)
        textLayer_ = std::make_unique<PdfTextLayer>(*pdf_);
      std::string words;
      if (textLayer_->Draw(words, *text, pageWidth, pageHeight)) {
        content += words;
        ownText = !words.empty();
        if (textLayer_->Font().isInitialized())
          resources.replaceKey("/Font", QPDFObjectHandle::newDictionary(
                                            {{PdfTextLayer::kFontName, textLayer_->Font()}}));
      } else {
        Log(LOG_LOCATION, "PdfDocument::AddPage(): %s: no text: %s", fileName.c_str(),
            textLayer_->Failure().c_str());
      }
    }
    QPDFObjectHandle page = pdf_->makeIndirectObject(QPDFObjectHandle::newDictionary(
        {{"/Type", values_->Name("/Page")},
         {"/MediaBox", values_->Box(pageWidth, pageHeight)},
         {"/Resources", resources},
         {"/Contents", values_->Contents(*pdf_, content, ownText)}}));
    QPDFPageDocumentHelper(*pdf_).addPage(QPDFPageObjectHelper(page), false);
  } catch (const std::exception& error) {
    return Fail(E_FAIL, fileName, "cannot add the page", error.what());
  }
  return S_OK;
}

ResultCode PdfDocument::SaveToFile(const std::string& fileName) {
  ClearError();
  ClearImagingErrorText();
  if (pdf_ == nullptr || fileName.empty())
    return Fail(E_INVALIDARG, fileName, "no open document or no file name");
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0)
    return Fail(E_FAIL, fileName, "cannot write the document", SystemErrorText(errno));
  CheckedPdfOutput output(fd);
  pageFailure_.clear();
  std::string failure;
  try {
    QPDFWriter writer(*pdf_);
    writer.setOutputPipeline(&output);
    // Page data goes out as it came: copied streams are never decoded, and
    // only what has no filter of its own (the page contents) is compressed.
    // The file identifier is a fresh one: one derived from the contents
    // would cost a digest of every byte, a quarter of the time of a JPEG
    // document.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(true);
    writer.write();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  int errorNumber = output.ErrorNumber();
  if (failure.empty() && errorNumber == 0 && ::fsync(fd) != 0)
    errorNumber = errno;
  if (::close(fd) != 0 && failure.empty() && errorNumber == 0)
    errorNumber = errno;
  if (!pageFailure_.empty()) {
    errorText_ = pageFailure_;
    errorDetail_ = pageFailure_;
    return E_FAIL;
  }
  if (errorNumber != 0)
    return Fail(E_FAIL, fileName, "cannot write the document", SystemErrorText(errorNumber));
  if (!failure.empty())
    return Fail(E_FAIL, fileName, "cannot write the document", failure);
  return S_OK;
}

ResultCode PdfDocument::CloseDocument() {
  if (pdf_ == nullptr)
    return E_INVALIDARG;
  textLayer_.reset();
  values_.reset();
  pdf_.reset();
  return S_OK;
}
