#pragma once

#include <qpdf/Pipeline.hh>

#include <cstddef>
#include <vector>

// The end of qpdf's output: a file descriptor whose every write is checked
// (qpdf's own stdio output leaves the final flush unchecked). It never
// throws, as qpdf may flush it while unwinding; after the first failure it
// drops the rest and keeps the reason.
class CheckedPdfOutput : public Pipeline {
 public:
  explicit CheckedPdfOutput(int fd);
  void write(unsigned char const* data, size_t length) override;
  void finish() override;
  // The errno of the first failed write; 0 while every write succeeded.
  int ErrorNumber() const { return errorNumber_; }

 private:
  void Flush();
  void WriteAll(const unsigned char* data, std::size_t length);

  int fd_;
  int errorNumber_ = 0;
  std::vector<unsigned char> buffer_;
};
