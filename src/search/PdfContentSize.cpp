#include "search/PdfContentSize.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <exception>

namespace {

class CountingPipeline : public Pipeline {
 public:
  CountingPipeline() : Pipeline("count", nullptr) {}
  void write(unsigned char const*, size_t length) override { bytes += length; }
  void finish() override {}
  std::size_t bytes = 0;
};

}  // namespace

std::vector<std::size_t> PdfPageContentSizes(const std::string& path) {
  std::vector<std::size_t> sizes;
  try {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(path.c_str());
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
      CountingPipeline count;
      page.pipeContents(&count);
      for (auto& [name, form] : page.getFormXObjects())
        form.pipeStreamData(&count, 0, qpdf_dl_generalized, true);
      sizes.push_back(count.bytes);
    }
  } catch (const std::exception&) {
    return {};
  }
  return sizes;
}
