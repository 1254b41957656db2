#pragma once

#include <optional>

#include "core/PixelType.h"

// What one page scan asks of the source.
struct ScanRequest {
  int width = 0;       // thousandths of an inch, clamped to the glass
  int height = 0;      // thousandths of an inch, clamped to the glass
  int resolution = 0;  // dots per inch
  PixelType pixelType = PixelType::ColorHigh;
  bool showUi = false;  // show the source's own window
  // Scan from the document feeder (true) or the glass (false); unset keeps
  // the source's own choice, as the user made it in its dialogs.
  std::optional<bool> feeder;
};
