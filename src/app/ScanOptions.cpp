#include "app/ScanOptions.h"

#include <charconv>
#include <iterator>
#include <vector>

#include "app/CleanupOptions.h"
#include "app/FileFormatOption.h"

namespace {

constexpr OptionSpec kScanOptions[] = {
    {"--name", true},         {"--format", true},     {"--resolution", true}, {"--mode", true},
    {"--size", true},         {"--source", true},     {"--rotate", false},    {"--feeder", false},
    {"--pages", true},        {"--overwrite", false}, {"--ocr", false},       {"--no-ocr", false},
    {"--ocr-language", true},
};

// The scanner layer refuses resolutions above this as a broken assumption.
constexpr int kHighestResolution = 9999;
// Page numbers have at least three digits; far beyond any batch on a glass.
constexpr int kMostPages = 9999;

std::optional<int> ReadNumber(const std::string& text, int lowest, int highest) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < lowest || value > highest)
    return std::nullopt;
  return value;
}

std::optional<PixelType> PixelTypeFromOption(const std::string& name) {
  if (name == "lineart")
    return PixelType::BlackAndWhite;
  if (name == "gray")
    return PixelType::Gray;
  if (name == "color")
    return PixelType::ColorHigh;
  return std::nullopt;
}

}  // namespace

std::span<const OptionSpec> ScanOptionSpecs() {
  static const std::vector<OptionSpec> specs = [] {
    std::vector<OptionSpec> all(std::begin(kScanOptions), std::end(kScanOptions));
    all.insert(all.end(), std::begin(kCleanupOptions), std::end(kCleanupOptions));
    return all;
  }();
  return specs;
}

std::optional<std::string> ReadScanOptions(const CommandArguments& arguments,
                                           ScanOptions& options) {
  if (arguments.positional.size() != 1)
    return arguments.positional.empty() ? "no folder given" : "more than one folder given";
  options.folder = arguments.positional.front();
  if (arguments.Has("--name"))
    options.name = arguments.Value("--name");
  if (arguments.Has("--format") &&
      !(options.format = FileFormatFromOption(arguments.Value("--format"))))
    return "unknown format '" + arguments.Value("--format") + "'";
  if (arguments.Has("--resolution") &&
      !(options.resolution = ReadNumber(arguments.Value("--resolution"), 1, kHighestResolution)))
    return "the resolution must be a number of dots per inch from 1 to 9999";
  if (arguments.Has("--mode") &&
      !(options.pixelType = PixelTypeFromOption(arguments.Value("--mode"))))
    return "unknown mode '" + arguments.Value("--mode") + "'";
  if (arguments.Has("--size"))
    options.sizeName = arguments.Value("--size");
  if (arguments.Has("--source"))
    options.source = arguments.Value("--source");
  options.rotate = arguments.Has("--rotate");
  options.feeder = arguments.Has("--feeder");
  options.overwrite = arguments.Has("--overwrite");
  if (arguments.Has("--pages")) {
    const std::optional<int> pages = ReadNumber(arguments.Value("--pages"), 1, kMostPages);
    if (!pages)
      return "the number of pages must be a number from 1 to 9999";
    options.pages = *pages;
  }
  if (options.feeder && options.pages != 0)
    return "--feeder and --pages cannot be combined";
  return std::nullopt;
}
