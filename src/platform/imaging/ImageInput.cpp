#include "platform/imaging/ImageInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/imaging/ImagingErrorText.h"

namespace {

constexpr std::size_t kReadBufferBytes = 64 * 1024;

// Opens a regular file for reading. The open never waits: a FIFO or a device
// named like a page file would otherwise block until someone writes to it.
ImagingStatus OpenRegularFile(const std::string& path, int& fd, std::uint64_t& size) {
  fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    RecordSystemError(error);
    return error == ENOENT ? ImagingStatus::FileNotFound : ImagingStatus::ReadFailed;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    RecordImagingError("not a regular file");
    ::close(fd);
    fd = -1;
    return ImagingStatus::ReadFailed;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size = static_cast<std::uint64_t>(info.st_size);
  return ImagingStatus::Ok;
}

}  // namespace

ImageInput::~ImageInput() {
  if (file_ != nullptr)
    std::fclose(file_);
}

ImagingStatus ImageInput::OpenFile(const std::string& path, std::unique_ptr<ImageInput>& out) {
  int fd = -1;
  std::uint64_t size = 0;
  if (ImagingStatus status = OpenRegularFile(path, fd, size); !IsOk(status))
    return status;
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return ImagingStatus::OutOfMemory;
  }
  std::unique_ptr<ImageInput> input(new ImageInput);
  input->file_ = file;
  // glibc ignores the size unless it is given the buffer too.
  input->buffer_ = std::make_unique<char[]>(kReadBufferBytes);
  std::setvbuf(file, input->buffer_.get(), _IOFBF, kReadBufferBytes);
  input->size_ = size;
  out = std::move(input);
  return ImagingStatus::Ok;
}

std::unique_ptr<ImageInput> ImageInput::FromMemory(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<ImageInput> input(new ImageInput);
  input->memory_ = data;
  input->size_ = data != nullptr ? size : 0;
  return input;
}

std::size_t ImageInput::Read(void* buffer, std::size_t count) {
  if (position_ >= size_ || count == 0)
    return 0;
  const std::uint64_t available = size_ - position_;
  const std::size_t wanted = count < available ? count : static_cast<std::size_t>(available);
  std::size_t got = wanted;
  if (file_ != nullptr)
    got = std::fread(buffer, 1, wanted, file_);
  else
    std::memcpy(buffer, memory_ + position_, wanted);
  position_ += got;
  bytesRead_ += got;
  return got;
}

bool ImageInput::Seek(std::uint64_t offset) {
  if (offset > size_)
    return false;
  // Decoders often seek to where they already are; fseek would drop the buffer.
  if (file_ != nullptr && offset != position_ &&
      std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
    return false;
  position_ = offset;
  return true;
}

ImagingStatus ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                            std::vector<std::uint8_t>& out) {
  std::unique_ptr<ImageInput> input;
  if (ImagingStatus status = ImageInput::OpenFile(path, input); !IsOk(status))
    return status;
  if (input->Size() > maxBytes)
    return ImagingStatus::TooLarge;
  out.resize(static_cast<std::size_t>(input->Size()));
  return input->Read(out.data(), out.size()) == out.size() ? ImagingStatus::Ok
                                                           : ImagingStatus::ReadFailed;
}
