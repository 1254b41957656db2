#include "dsm/DeviceSettings.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr double kMillimetresPerInch = 25.4;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Contains(const std::string& text, const char* part) {
  return Lower(text).find(part) != std::string::npos;
}

bool IsLineartMode(const std::string& mode) {
  const std::string lower = Lower(mode);
  return lower == "lineart" || lower == "binary" || lower == "black & white" ||
         lower == "black and white" || lower == "bw" || lower == "monochrome" ||
         (Contains(mode, "lineart") && !Contains(mode, "colo"));
}

bool IsGrayMode(const std::string& mode) {
  return Contains(mode, "gray") || Contains(mode, "grey");
}

bool IsColorMode(const std::string& mode) {
  return (Contains(mode, "color") || Contains(mode, "colour")) && !Contains(mode, "lineart") &&
         !Contains(mode, "halftone");
}

// The exact standard name first, then the first that fits.
std::optional<std::string> PickMode(const std::vector<std::string>& modes, const char* standard,
                                    bool (*fits)(const std::string&)) {
  for (const std::string& mode : modes)
    if (mode == standard)
      return mode;
  for (const std::string& mode : modes)
    if (fits(mode))
      return mode;
  return std::nullopt;
}

struct Corner {
  const char* x;
  const char* y;
};
constexpr Corner kTopLeft{SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y};
constexpr Corner kBottomRight{SANE_NAME_SCAN_BR_X, SANE_NAME_SCAN_BR_Y};

}  // namespace

bool IsFeederSourceName(const std::string& source) {
  return Contains(source, "feeder") || Contains(source, "adf") || Contains(source, "duplex") ||
         Contains(source, "automatic");
}

const char* DeviceSettings::ResolutionOption(bool vertical) const {
  if (vertical && device_.IsSettable(SANE_NAME_SCAN_Y_RESOLUTION))
    return SANE_NAME_SCAN_Y_RESOLUTION;
  if (device_.IsActive(SANE_NAME_SCAN_RESOLUTION))
    return SANE_NAME_SCAN_RESOLUTION;
  return SANE_NAME_SCAN_X_RESOLUTION;
}

NumberChoices DeviceSettings::ResolutionChoices(bool vertical) const {
  return device_.NumberChoicesOf(ResolutionOption(vertical));
}

std::optional<double> DeviceSettings::Resolution(bool vertical) {
  return device_.GetNumber(ResolutionOption(vertical));
}

bool DeviceSettings::SetResolution(bool vertical, double dotsPerInch) {
  const char* option = ResolutionOption(vertical);
  const NumberChoices choices = device_.NumberChoicesOf(option);
  const double nearest = choices.IsEmpty() ? dotsPerInch : choices.Nearest(dotsPerInch);
  return device_.SetNumber(option, nearest) == SANE_STATUS_GOOD;
}

std::optional<std::string> DeviceSettings::ModeFor(TW_UINT16 pixelType) const {
  const std::vector<std::string> modes = device_.StringChoices(SANE_NAME_SCAN_MODE);
  switch (pixelType) {
    case TWPT_RGB:
      return PickMode(modes, SANE_VALUE_SCAN_MODE_COLOR, IsColorMode);
    case TWPT_GRAY:
      return PickMode(modes, SANE_VALUE_SCAN_MODE_GRAY, IsGrayMode);
    case TWPT_BW:
      return PickMode(modes, SANE_VALUE_SCAN_MODE_LINEART, IsLineartMode);
    default:
      return std::nullopt;
  }
}

std::vector<TW_UINT16> DeviceSettings::PixelTypes() const {
  std::vector<TW_UINT16> types;
  for (TW_UINT16 type : {TWPT_BW, TWPT_GRAY, TWPT_RGB})
    if (ModeFor(type) || (type == TWPT_BW && ModeFor(TWPT_GRAY)))
      types.push_back(type);
  return types;
}

TW_UINT16 DeviceSettings::PixelType() {
  const std::string mode = device_.GetString(SANE_NAME_SCAN_MODE).value_or("");
  if (IsColorMode(mode))
    return TWPT_RGB;
  if (IsLineartMode(mode) || thresholdGray_)
    return TWPT_BW;
  const std::optional<double> depth = device_.GetNumber(SANE_NAME_BIT_DEPTH);
  return depth && *depth == 1 ? TWPT_BW : TWPT_GRAY;
}

bool DeviceSettings::SetDepthIfOffered(int depth) {
  if (!device_.IsSettable(SANE_NAME_BIT_DEPTH))
    return false;
  const NumberChoices depths = device_.NumberChoicesOf(SANE_NAME_BIT_DEPTH);
  const bool offered =
      std::find(depths.list.begin(), depths.list.end(), depth) != depths.list.end() ||
      (depths.isRange && depth >= depths.minimum && depth <= depths.maximum);
  return offered && device_.SetNumber(SANE_NAME_BIT_DEPTH, depth) == SANE_STATUS_GOOD;
}

bool DeviceSettings::SetPixelType(TW_UINT16 pixelType) {
  if (pixelType != TWPT_BW && pixelType != TWPT_GRAY && pixelType != TWPT_RGB)
    return false;
  std::optional<std::string> mode = ModeFor(pixelType);
  const bool emulatedBlackAndWhite = pixelType == TWPT_BW && !mode;
  if (emulatedBlackAndWhite)
    mode = ModeFor(TWPT_GRAY);
  if (!mode)
    return false;
  if (device_.IsSettable(SANE_NAME_SCAN_MODE) &&
      device_.SetString(SANE_NAME_SCAN_MODE, *mode) != SANE_STATUS_GOOD)
    return false;
  thresholdGray_ = false;
  if (emulatedBlackAndWhite)  // a one-bit grey scan is lineart by another name
    thresholdGray_ = !SetDepthIfOffered(1);
  else if (pixelType != TWPT_BW)
    SetDepthIfOffered(8);
  return true;
}

double DeviceSettings::MillimetresPerUnit(const char* option) const {
  return device_.UnitOf(option) == SANE_UNIT_MM ? 1.0 : 0.0;
}

std::optional<FrameInches> DeviceSettings::PhysicalArea() const {
  const NumberChoices left = device_.NumberChoicesOf(kTopLeft.x);
  const NumberChoices top = device_.NumberChoicesOf(kTopLeft.y);
  const NumberChoices right = device_.NumberChoicesOf(kBottomRight.x);
  const NumberChoices bottom = device_.NumberChoicesOf(kBottomRight.y);
  if (!left.isRange || !top.isRange || !right.isRange || !bottom.isRange ||
      MillimetresPerUnit(kBottomRight.x) == 0 || MillimetresPerUnit(kBottomRight.y) == 0)
    return std::nullopt;
  return FrameInches{0, 0, (right.maximum - left.minimum) / kMillimetresPerInch,
                     (bottom.maximum - top.minimum) / kMillimetresPerInch};
}

std::optional<FrameInches> DeviceSettings::Frame() {
  const NumberChoices left = device_.NumberChoicesOf(kTopLeft.x);
  const NumberChoices top = device_.NumberChoicesOf(kTopLeft.y);
  const auto tlX = device_.GetNumber(kTopLeft.x), tlY = device_.GetNumber(kTopLeft.y);
  const auto brX = device_.GetNumber(kBottomRight.x), brY = device_.GetNumber(kBottomRight.y);
  if (!tlX || !tlY || !brX || !brY || !PhysicalArea())
    return std::nullopt;
  return FrameInches{
      (*tlX - left.minimum) / kMillimetresPerInch, (*tlY - top.minimum) / kMillimetresPerInch,
      (*brX - left.minimum) / kMillimetresPerInch, (*brY - top.minimum) / kMillimetresPerInch};
}

bool DeviceSettings::SetFrame(const FrameInches& frame) {
  const std::optional<FrameInches> glass = PhysicalArea();
  if (!glass || frame.left < 0 || frame.top < 0 || frame.right <= frame.left ||
      frame.bottom <= frame.top)
    return false;
  const double originX = device_.NumberChoicesOf(kTopLeft.x).minimum;
  const double originY = device_.NumberChoicesOf(kTopLeft.y).minimum;
  auto toMillimetres = [](double inches, double origin, double limit) {
    return origin + std::min(inches, limit) * kMillimetresPerInch;
  };
  // Open the area fully first, so that no corner is refused for crossing the other.
  const std::array<std::pair<const char*, double>, 6> steps{{
      {kTopLeft.x, originX},
      {kTopLeft.y, originY},
      {kBottomRight.x, toMillimetres(frame.right, originX, glass->right)},
      {kBottomRight.y, toMillimetres(frame.bottom, originY, glass->bottom)},
      {kTopLeft.x, toMillimetres(frame.left, originX, glass->right)},
      {kTopLeft.y, toMillimetres(frame.top, originY, glass->bottom)},
  }};
  for (const auto& [option, value] : steps) {
    if (device_.SetNumber(option, value) != SANE_STATUS_GOOD)
      return false;
  }
  return true;
}

std::vector<std::string> DeviceSettings::Sources() const {
  return device_.StringChoices(SANE_NAME_SCAN_SOURCE);
}

std::optional<std::string> DeviceSettings::Source() {
  return device_.GetString(SANE_NAME_SCAN_SOURCE);
}

bool DeviceSettings::SetSource(const std::string& source) {
  const std::vector<std::string> sources = Sources();
  if (std::find(sources.begin(), sources.end(), source) == sources.end())
    return false;
  return device_.SetString(SANE_NAME_SCAN_SOURCE, source) == SANE_STATUS_GOOD;
}

bool DeviceSettings::IsFeeder() {
  const std::optional<std::string> source = Source();
  return source && IsFeederSourceName(*source);
}
