#include "workflow/GlassFit.h"

#include <cstdio>

namespace {

// The glass is read in whole thousandths, truncated: an A4 size on an A4
// glass may exceed it by a hair, which no scanner minds.
constexpr int kTolerance = 20;

}  // namespace

GlassFit FitOnGlass(const DocumentSize& size, const std::optional<ScanAreaSize>& glass) {
  if (size.Width() <= 0 || size.Height() <= 0)
    return GlassFit::NoSize;
  if (!glass || glass->width <= 0 || glass->height <= 0)
    return GlassFit::Fits;
  if (size.Width() > glass->width + kTolerance || size.Height() > glass->height + kTolerance)
    return GlassFit::LargerThanGlass;
  return GlassFit::Fits;
}

std::string InchesText(int width, int height) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f x %.2f in", width / 1000.0, height / 1000.0);
  return text;
}
