#include "platform/imaging/TiffOutputFile.h"

#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/imaging/ImagingErrorText.h"

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

int CloseProc(thandle_t) {
  return 0;
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

}  // namespace

struct TiffOutputProcs {
  static TiffOutputFile& File(thandle_t handle) { return *static_cast<TiffOutputFile*>(handle); }

  static tmsize_t Read(thandle_t handle, void* data, tmsize_t size) {
    return size > 0 ? static_cast<tmsize_t>(File(handle).Read(data, static_cast<std::size_t>(size)))
                    : 0;
  }
  static tmsize_t Write(thandle_t handle, void* data, tmsize_t size) {
    return size > 0 ? static_cast<tmsize_t>(File(handle).Write(
                          static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)))
                    : 0;
  }
  static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    TiffOutputFile& file = File(handle);
    if (whence == SEEK_CUR)
      offset += file.position_;
    else if (whence == SEEK_END)
      offset += file.size_;
    file.position_ = offset;
    return offset;
  }
  static toff_t Size(thandle_t handle) { return File(handle).size_; }
};

TiffOutputFile::~TiffOutputFile() {
  if (fd_ >= 0)
    ::close(fd_);
}

tiff* TiffOutputFile::Open(const std::string& path) {
  if (fd_ >= 0 || path.empty())
    return nullptr;
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0)
    return nullptr;
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  bufferStart_ = position_ = size_ = 0;
  failed_ = false;
  return TIFFClientOpen(path.c_str(), "w", this, TiffOutputProcs::Read, TiffOutputProcs::Write,
                        TiffOutputProcs::Seek, CloseProc, TiffOutputProcs::Size, MapProc,
                        UnmapProc);
}

bool TiffOutputFile::Close() {
  if (fd_ < 0)
    return false;
  const bool flushed = Flush();
  const bool closed = ::close(fd_) == 0;
  if (!closed)
    RecordSystemError(errno);
  fd_ = -1;
  return flushed && closed && !failed_;
}

bool TiffOutputFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0) {
      // Buffered bytes fail long after libtiff handed them over: keep why.
      RecordSystemError(written < 0 ? errno : ENOSPC);
      failed_ = true;
      return false;
    }
    data += written;
    offset += static_cast<std::uint64_t>(written);
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool TiffOutputFile::Flush() {
  const bool written = WriteAt(bufferStart_, buffer_.data(), buffer_.size());
  buffer_.clear();
  bufferStart_ = position_;
  return written;
}

std::size_t TiffOutputFile::Write(const std::uint8_t* data, std::size_t size) {
  // The buffer only ever holds one run of consecutive bytes.
  if (position_ != bufferStart_ + buffer_.size() || buffer_.size() + size > kBufferBytes)
    Flush();
  if (failed_)
    return 0;
  if (size >= kBufferBytes) {
    if (!WriteAt(position_, data, size))
      return 0;
    bufferStart_ = position_ + size;
  } else {
    buffer_.insert(buffer_.end(), data, data + size);
  }
  position_ += size;
  size_ = std::max(size_, position_);
  return size;
}

std::size_t TiffOutputFile::Read(void* data, std::size_t size) {
  if (!Flush())
    return 0;
  const ssize_t got = ::pread(fd_, data, size, static_cast<off_t>(position_));
  if (got <= 0)
    return 0;
  position_ += static_cast<std::uint64_t>(got);
  bufferStart_ = position_;
  return static_cast<std::size_t>(got);
}
