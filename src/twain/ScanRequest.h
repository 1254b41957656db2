#pragma once

#include "core/PixelType.h"

// One page scan as the workflow asks for it. Width and height are in
// thousandths of an inch and never swapped: rotation happens when saving.
struct ScanRequest {
  int width = 0;
  int height = 0;
  int resolution = 0;
  PixelType pixelType = ColorHigh;
  bool showUi = false;
};
