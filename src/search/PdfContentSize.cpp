#include "search/PdfContentSize.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <exception>

namespace {

struct Enough {};

// Counts what passes and stops the decoding once past `most`. Streams are
// piped one by one: qpdf's own page contents helper buffers them whole.
class CountingPipeline : public Pipeline {
 public:
  explicit CountingPipeline(std::size_t most) : Pipeline("count", nullptr), most_(most) {}
  void write(unsigned char const*, size_t length) override {
    bytes += length;
    if (bytes > most_)
      throw Enough{};
  }
  void finish() override {}
  std::size_t bytes = 0;

 private:
  std::size_t most_;
};

void Pipe(QPDFObjectHandle stream, CountingPipeline& count) {
  if (!stream.isStream())
    return;
  try {
    stream.pipeStreamData(&count, 0, qpdf_dl_generalized, true);
  } catch (const Enough&) {
  }
}

}  // namespace

std::vector<std::size_t> PdfPageContentSizes(const std::string& path, std::size_t most) {
  std::vector<std::size_t> sizes;
  try {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(path.c_str());
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
      CountingPipeline count(most);
      QPDFObjectHandle contents = page.getObjectHandle().getKey("/Contents");
      if (contents.isArray())
        for (QPDFObjectHandle& stream : contents.getArrayAsVector())
          Pipe(stream, count);
      else
        Pipe(contents, count);
      for (auto& [name, form] : page.getFormXObjects())
        Pipe(form, count);
      sizes.push_back(count.bytes);
    }
  } catch (const std::exception&) {
    return {};
  }
  return sizes;
}
