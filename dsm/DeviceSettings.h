#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dsm/SaneDevice.h"
#include "twain/TwainTypes.h"

// A scan area in inches from the top-left corner of the device's glass.
struct FrameInches {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

// What a TWAIN source offers, spelt in the SANE options of one device:
// resolution, pixel type, scan area and scan source. Runs on the device's thread.
class DeviceSettings {
 public:
  explicit DeviceSettings(SaneDevice& device) : device_(device) {}

  NumberChoices ResolutionChoices(bool vertical) const;
  std::optional<double> Resolution(bool vertical);
  // Picks the nearest resolution the device offers.
  bool SetResolution(bool vertical, double dotsPerInch);

  std::vector<TW_UINT16> PixelTypes() const;
  TW_UINT16 PixelType();
  bool SetPixelType(TW_UINT16 pixelType);
  // Black and white on a device that only scans grey: pages are thresholded.
  bool ThresholdsGray() const { return thresholdGray_; }

  // The whole glass: left and top 0, right and bottom the physical size.
  std::optional<FrameInches> PhysicalArea() const;
  std::optional<FrameInches> Frame();
  bool SetFrame(const FrameInches& frame);

  std::vector<std::string> Sources() const;
  std::optional<std::string> Source();
  bool SetSource(const std::string& source);
  // A feeder source yields pages until the device reports it empty.
  bool IsFeeder();

 private:
  const char* ResolutionOption(bool vertical) const;
  std::optional<std::string> ModeFor(TW_UINT16 pixelType) const;
  bool SetDepthIfOffered(int depth);
  double MillimetresPerUnit(const char* option) const;

  SaneDevice& device_;
  bool thresholdGray_ = false;
};

// Classifies the free-form names backends give their scan sources.
bool IsFeederSourceName(const std::string& source);
