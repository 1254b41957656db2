#pragma once

#include <optional>
#include <span>
#include <string>

#include "app/CommandArguments.h"
#include "core/FileFormatType.h"
#include "core/PixelType.h"

// The options of "docketeer scan", checked; unset values come from the
// folder and the settings.
struct ScanOptions {
  std::string folder;  // as given
  std::optional<std::string> name;
  std::optional<FileFormatType> format;
  std::optional<int> resolution;
  std::optional<PixelType> pixelType;
  std::optional<std::string> sizeName;
  std::optional<std::string> source;
  bool rotate = false;
  bool feeder = false;
  int pages = 0;  // 0: not given
  bool overwrite = false;
};

std::span<const OptionSpec> ScanOptionSpecs();

// Fills `options` from the parsed arguments; the message when they are unusable.
std::optional<std::string> ReadScanOptions(const CommandArguments& arguments, ScanOptions& options);
