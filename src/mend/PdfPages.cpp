#include "mend/PdfPages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "writers/CheckedPdfOutput.h"

namespace {

// A source file read through a large buffer: qpdf reads in small steps with a
// seek for each, and a memory mapping would end the process if another
// program cut the file short meanwhile.
class SourceFile {
 public:
  explicit SourceFile(const std::string& file) : stream_(std::fopen(file.c_str(), "rbe")) {
    if (stream_ != nullptr)
      std::setvbuf(stream_, nullptr, _IOFBF, kSourceBufferBytes);
  }
  ~SourceFile() {
    if (stream_ != nullptr)
      std::fclose(stream_);
  }
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  FILE* Stream() const { return stream_; }

 private:
  static constexpr std::size_t kSourceBufferBytes = std::size_t{1} << 20;
  FILE* stream_;
};

std::unique_ptr<QPDF> Open(const std::string& file, const SourceFile& source) {
  auto pdf = std::make_unique<QPDF>();
  pdf->setSuppressWarnings(true);
  if (source.Stream() != nullptr)
    pdf->processFile(file.c_str(), source.Stream(), false);
  else
    pdf->processFile(file.c_str());
  return pdf;
}

std::optional<std::string> WritePdf(QPDF& pdf, const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0)
    return path + ": " + std::strerror(errno);
  CheckedPdfOutput output(fd);
  std::string failure;
  try {
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&output);
    // Every stream goes out exactly as it came in: nothing decoded, nothing
    // compressed anew.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(false);
    writer.write();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  const int errorNumber = output.ErrorNumber();
  if (::close(fd) != 0 && failure.empty() && errorNumber == 0)
    return path + ": " + std::strerror(errno);
  if (errorNumber != 0)
    return path + ": " + std::strerror(errorNumber);
  if (!failure.empty())
    return failure;
  return std::nullopt;
}

// Puts `pages` into `pdf` in order in place of the pages it has, then turns them.
void Arrange(QPDF& pdf, const std::vector<QPDFPageObjectHelper>& pages,
             const std::vector<PageSource>& order) {
  QPDFPageDocumentHelper document(pdf);
  for (QPDFPageObjectHelper& page : document.getAllPages())
    document.removePage(page);
  for (const QPDFPageObjectHelper& page : pages)
    document.addPage(page, false);  // a page of another document is copied in
  std::vector<QPDFPageObjectHelper> placed = document.getAllPages();
  for (std::size_t i = 0; i < placed.size(); ++i)
    if (order[i].quarterTurns != 0)
      placed[i].rotatePage(90 * order[i].quarterTurns, true);
}

class PdfFiles : public PageFiles {
 public:
  explicit PdfFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
      opened_.push_back(std::make_unique<SourceFile>(file));
      sources_.push_back(Open(file, *opened_.back()));
      pages_.push_back(QPDFPageDocumentHelper(*sources_.back()).getAllPages());
    }
  }

  std::vector<int> PageCounts() const override {
    std::vector<int> counts;
    for (const auto& pages : pages_)
      counts.push_back(static_cast<int>(pages.size()));
    return counts;
  }

  std::optional<std::string> Write(const std::vector<PageOutput>& outputs) override {
    try {
      // The other outputs copy their pages before the first source's own
      // pages are rearranged and turned for the first output.
      std::vector<std::unique_ptr<QPDF>> others;
      for (std::size_t i = 1; i < outputs.size(); ++i) {
        others.push_back(std::make_unique<QPDF>());
        others.back()->emptyPDF();
        Arrange(*others.back(), PagesOf(outputs[i]), outputs[i].pages);
      }
      if (!outputs.empty())
        Arrange(*sources_.front(), PagesOf(outputs.front()), outputs.front().pages);
      for (std::size_t i = 0; i < outputs.size(); ++i)
        if (auto failure = WritePdf(i == 0 ? *sources_.front() : *others[i - 1], outputs[i].path))
          return failure;
    } catch (const std::exception& error) {
      return std::string(error.what());
    }
    return std::nullopt;
  }

 private:
  std::vector<QPDFPageObjectHelper> PagesOf(const PageOutput& output) const {
    std::vector<QPDFPageObjectHelper> pages;
    for (const PageSource& page : output.pages)
      pages.push_back(pages_.at(page.file).at(static_cast<std::size_t>(page.page)));
    return pages;
  }

  // The open files outlive the documents read from them.
  std::vector<std::unique_ptr<SourceFile>> opened_;
  std::vector<std::unique_ptr<QPDF>> sources_;
  std::vector<std::vector<QPDFPageObjectHelper>> pages_;
};

}  // namespace

std::unique_ptr<PageFiles> OpenPdfFiles(const std::vector<std::string>& files, std::string& error) {
  try {
    return std::make_unique<PdfFiles>(files);
  } catch (const std::exception& exception) {
    error = exception.what();
    return nullptr;
  }
}
