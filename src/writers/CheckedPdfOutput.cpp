#include "writers/CheckedPdfOutput.h"

#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

CheckedPdfOutput::CheckedPdfOutput(int fd) : Pipeline("checked output", nullptr), fd_(fd) {
  buffer_.reserve(kBufferSize);
}

void CheckedPdfOutput::write(unsigned char const* data, size_t length) {
  if (buffer_.size() + length > kBufferSize)
    Flush();
  if (length >= kBufferSize)
    WriteAll(data, length);
  else
    buffer_.insert(buffer_.end(), data, data + length);
}

void CheckedPdfOutput::finish() {
  Flush();
}

void CheckedPdfOutput::Flush() {
  WriteAll(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void CheckedPdfOutput::WriteAll(const unsigned char* data, std::size_t length) {
  while (length > 0 && errorNumber_ == 0) {
    const ssize_t written = ::write(fd_, data, length);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0) {
      errorNumber_ = written < 0 ? errno : ENOSPC;
      return;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
}
