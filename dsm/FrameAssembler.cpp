#include "dsm/FrameAssembler.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "dsm/RowConversion.h"
#include "twain/GlobalMemory.h"

namespace {

constexpr std::int32_t kMaxPixelsPerLine = 1 << 17;

int ChannelOf(SANE_Frame frame) {
  switch (frame) {
    case SANE_FRAME_RED:
      return 2;
    case SANE_FRAME_GREEN:
      return 1;
    default:
      return 0;
  }
}

bool IsSingleColour(SANE_Frame frame) {
  return frame == SANE_FRAME_RED || frame == SANE_FRAME_GREEN || frame == SANE_FRAME_BLUE;
}

int ChannelsOf(SANE_Frame frame) {
  return frame == SANE_FRAME_RGB ? 3 : 1;
}

// A page is tens of megabytes written once from front to back: huge pages
// spare the kernel most of the faults on first touch.
void AdviseLargePages(std::uint8_t* block, std::size_t bytes) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kHugePage - 1);
  if (end > start)
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

FrameAssembler::FrameAssembler(int dotsPerInch, bool thresholdGray, std::size_t maxPageBytes)
    : dotsPerInch_(dotsPerInch), thresholdGray_(thresholdGray), maxPageBytes_(maxPageBytes) {}

FrameAssembler::~FrameAssembler() {
  if (block_ != nullptr) {
    GlobalUnlock(block_);
    GlobalFree(block_);
  }
}

bool FrameAssembler::BeginFrame(const SANE_Parameters& parameters, std::string& why) {
  const bool fits =
      framesSeen_ == 0 ? CheckFirstFrame(parameters, why) : CheckLaterFrame(parameters, why);
  if (!fits)
    return false;
  frame_ = parameters.format;
  linesThisFrame_ = 0;
  excessBytes_ = 0;
  partialLine_.clear();
  ++framesSeen_;
  return framesSeen_ > 1 || AllocatePage(why);
}

bool FrameAssembler::CheckFirstFrame(const SANE_Parameters& p, std::string& why) {
  const bool knownFormat =
      p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB || IsSingleColour(p.format);
  if (!knownFormat)
    why = "unsupported frame format " + std::to_string(p.format);
  else if (p.depth != 1 && p.depth != 8 && p.depth != 16)
    why = "unsupported depth " + std::to_string(p.depth);
  else if (p.pixels_per_line < 1 || p.pixels_per_line > kMaxPixelsPerLine)
    why = "width of " + std::to_string(p.pixels_per_line) + " pixels";
  else if (p.lines == 0 || p.lines < -1)
    why = "height of " + std::to_string(p.lines) + " lines";
  else if (p.bytes_per_line < 0 ||
           static_cast<std::size_t>(p.bytes_per_line) <
               SaneLineBytes(p.pixels_per_line, p.depth, ChannelsOf(p.format)) ||
           p.bytes_per_line > 16 * 1024 * 1024)
    why = "line of " + std::to_string(p.bytes_per_line) + " bytes";
  if (!why.empty())
    return false;
  first_ = p;
  unknownHeight_ = p.lines == -1;
  lineBytes_ = static_cast<std::size_t>(p.bytes_per_line);
  const bool grey = p.format == SANE_FRAME_GRAY;
  format_.width = p.pixels_per_line;
  format_.height = unknownHeight_ ? 0 : p.lines;
  format_.bitsPerPixel = !grey ? 24 : (p.depth == 1 || thresholdGray_) ? 1 : 8;
  format_.dotsPerInch = dotsPerInch_;
  greyRow_.resize(grey && thresholdGray_ ? static_cast<std::size_t>(p.pixels_per_line) : 0);
  return true;
}

bool FrameAssembler::CheckLaterFrame(const SANE_Parameters& p, std::string& why) {
  if (!IsSingleColour(first_.format) || !IsSingleColour(p.format))
    why = "a further frame after a complete page";
  else if (p.pixels_per_line != first_.pixels_per_line || p.depth != first_.depth ||
           p.bytes_per_line != first_.bytes_per_line ||
           (!unknownHeight_ && p.lines != first_.lines))
    why = "frame parameters changed between passes";
  return why.empty();
}

bool FrameAssembler::AllocatePage(std::string& why) {
  const std::size_t rowsBytes =
      format_.Stride() * static_cast<std::size_t>(std::max(1, first_.lines));
  if (rowsBytes > maxPageBytes_) {
    why = "page larger than " + std::to_string(maxPageBytes_ >> 20) + " MiB";
    return false;
  }
  if (unknownHeight_)
    return true;
  block_ = GlobalAlloc(format_.TotalBytes());
  pixels_ = static_cast<std::uint8_t*>(GlobalLock(block_));
  if (pixels_ == nullptr) {
    why = "out of memory";
    return false;
  }
  AdviseLargePages(pixels_, format_.TotalBytes());
  format_.WriteHeader(pixels_);
  return true;
}

bool FrameAssembler::Feed(const std::uint8_t* data, std::size_t length, std::string& why) {
  if (!partialLine_.empty()) {
    const std::size_t take = std::min(length, lineBytes_ - partialLine_.size());
    partialLine_.insert(partialLine_.end(), data, data + take);
    data += take;
    length -= take;
    if (partialLine_.size() < lineBytes_)
      return true;
    ConvertLine(partialLine_.data());
    partialLine_.clear();
  }
  for (; length >= lineBytes_; data += lineBytes_, length -= lineBytes_)
    ConvertLine(data);
  partialLine_.assign(data, data + length);
  if (excessBytes_ > format_.ImageBytes() + lineBytes_) {
    why = "the device sent more lines than it announced";
    return false;
  }
  return true;
}

void FrameAssembler::ConvertLine(const std::uint8_t* line) {
  std::uint8_t* row = RowForLine(linesThisFrame_);
  if (row == nullptr) {
    excessBytes_ += lineBytes_;
    return;
  }
  ++linesThisFrame_;
  const int pixels = first_.pixels_per_line;
  if (IsSingleColour(frame_))
    ConvertChannelRow(line, pixels, first_.depth, ChannelOf(frame_), row);
  else if (frame_ == SANE_FRAME_RGB)
    ConvertRgbRow(line, pixels, first_.depth, row);
  else if (format_.bitsPerPixel == 8)
    ConvertGrayRow(line, pixels, first_.depth, row);
  else if (first_.depth == 1)
    ConvertLineartRow(line, pixels, row);
  else {
    ConvertGrayRow(line, pixels, first_.depth, greyRow_.data());
    ThresholdGrayRow(greyRow_.data(), pixels, row);
  }
}

std::uint8_t* FrameAssembler::RowForLine(std::int32_t line) {
  const std::size_t stride = format_.Stride();
  if (!unknownHeight_)
    return line < format_.height ? format_.Row(pixels_, line) : nullptr;
  if (framesSeen_ > 1)  // later passes fill the rows the first pass collected
    return line < linesOfPage_ ? collectedRows_.data() + stride * line : nullptr;
  if (collectedRows_.size() + stride > maxPageBytes_)
    return nullptr;
  collectedRows_.resize(collectedRows_.size() + stride);
  return collectedRows_.data() + collectedRows_.size() - stride;
}

bool FrameAssembler::EndFrame(std::string& why) {
  partialLine_.clear();  // a torn last line is dropped
  if (linesThisFrame_ == 0) {
    why = "the frame held no image data";
    return false;
  }
  linesOfPage_ = framesSeen_ == 1 ? linesThisFrame_ : std::min(linesOfPage_, linesThisFrame_);
  const bool allColours = !IsSingleColour(first_.format) || framesSeen_ == 3;
  complete_ = allColours;
  return true;
}

TW_HANDLE FrameAssembler::TakePage() {
  if (!complete_)
    return nullptr;
  if (unknownHeight_)
    BuildFromCollectedRows();
  else if (linesOfPage_ < format_.height)
    CropToReceivedLines();
  if (block_ == nullptr)
    return nullptr;
  GlobalUnlock(block_);
  pixels_ = nullptr;
  return std::exchange(block_, nullptr);
}

void FrameAssembler::CropToReceivedLines() {
  // Rows lie bottom-up, so the lines received sit at the end of the block.
  const std::size_t stride = format_.Stride();
  const std::size_t offset = stride * static_cast<std::size_t>(format_.height - linesOfPage_);
  std::uint8_t* rows = pixels_ + format_.PixelOffset();
  std::memmove(rows, rows + offset, stride * static_cast<std::size_t>(linesOfPage_));
  format_.height = linesOfPage_;
  format_.WriteHeader(pixels_);
}

void FrameAssembler::BuildFromCollectedRows() {
  format_.height = linesOfPage_;
  block_ = GlobalAlloc(format_.TotalBytes());
  pixels_ = static_cast<std::uint8_t*>(GlobalLock(block_));
  if (pixels_ == nullptr) {
    block_ = GlobalFree(block_);
    return;
  }
  format_.WriteHeader(pixels_);
  const std::size_t stride = format_.Stride();
  for (std::int32_t line = 0; line < linesOfPage_; ++line)
    std::memcpy(format_.Row(pixels_, line), collectedRows_.data() + stride * line, stride);
  std::vector<std::uint8_t>().swap(collectedRows_);
}
