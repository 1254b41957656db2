#pragma once

#include <sane/sane.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dsm/DibFormat.h"
#include "twain/TwainTypes.h"

// Builds one page as a device-independent bitmap in a global memory block from
// the SANE frames of that page: one grey or RGB frame, or three single-colour
// frames of a three-pass scanner. Lines may arrive in pieces of any size. A
// frame of unknown height is collected top-down and turned over at the end.
// A device that sends fewer lines than announced gives a shorter page.
class FrameAssembler {
 public:
  FrameAssembler(int dotsPerInch, bool thresholdGray, std::size_t maxPageBytes);
  ~FrameAssembler();
  FrameAssembler(const FrameAssembler&) = delete;
  FrameAssembler& operator=(const FrameAssembler&) = delete;

  // False (with the reason) for parameters that are broken or do not match
  // the frames before.
  bool BeginFrame(const SANE_Parameters& parameters, std::string& why);
  // False once the device has sent far more than it announced.
  bool Feed(const std::uint8_t* data, std::size_t length, std::string& why);
  bool EndFrame(std::string& why);
  bool IsComplete() const { return complete_; }

  // The finished page; ownership passes to the caller.
  TW_HANDLE TakePage();
  const DibFormat& Format() const { return format_; }

 private:
  bool CheckFirstFrame(const SANE_Parameters& parameters, std::string& why);
  bool CheckLaterFrame(const SANE_Parameters& parameters, std::string& why);
  bool AllocatePage(std::string& why);
  void ConvertLine(const std::uint8_t* line);
  std::uint8_t* RowForLine(std::int32_t line);
  void CropToReceivedLines();
  void BuildFromCollectedRows();

  int dotsPerInch_;
  bool thresholdGray_;
  std::size_t maxPageBytes_;
  DibFormat format_;
  SANE_Parameters first_{};
  SANE_Frame frame_ = SANE_FRAME_GRAY;
  int framesSeen_ = 0;
  bool complete_ = false;
  bool unknownHeight_ = false;
  std::size_t lineBytes_ = 0;
  std::int32_t linesThisFrame_ = 0;
  std::int32_t linesOfPage_ = 0;
  std::size_t excessBytes_ = 0;
  std::vector<std::uint8_t> partialLine_;
  std::vector<std::uint8_t> greyRow_;
  std::vector<std::uint8_t> collectedRows_;
  TW_HANDLE block_ = nullptr;
  std::uint8_t* pixels_ = nullptr;
};
