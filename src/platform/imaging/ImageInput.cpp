#include "platform/imaging/ImageInput.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kReadBufferBytes = 64 * 1024;

}  // namespace

ImageInput::~ImageInput() {
  if (file_ != nullptr)
    std::fclose(file_);
}

ImagingStatus ImageInput::OpenFile(const std::string& path, std::unique_ptr<ImageInput>& out) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return errno == ENOENT ? ImagingStatus::FileNotFound : ImagingStatus::ReadFailed;
  std::unique_ptr<ImageInput> input(new ImageInput);
  input->file_ = file;
  // glibc ignores the size unless it is given the buffer too.
  input->buffer_ = std::make_unique<char[]>(kReadBufferBytes);
  std::setvbuf(file, input->buffer_.get(), _IOFBF, kReadBufferBytes);
  if (std::fseek(file, 0, SEEK_END) != 0)
    return ImagingStatus::ReadFailed;
  const long size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0)
    return ImagingStatus::ReadFailed;  // a folder or a pipe
  input->size_ = static_cast<std::uint64_t>(size);
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
