#include "app/ScannerLimits.h"

#include "settings/DocumentSize.h"
#include "workflow/GlassFit.h"

std::optional<std::string> RefuseDocumentSize(const DocumentSize& size) {
  if (FitOnGlass(size, std::nullopt) == GlassFit::Fits)
    return std::nullopt;
  return "the document size \"" + size.Name() + "\" is " + InchesText(size.Width(), size.Height()) +
         "; --size chooses one with a width and a height";
}

std::optional<std::string> RefuseForScanner(const DocumentSize& size, int resolution,
                                            const ScannerLimits& limits) {
  if (FitOnGlass(size, limits.glass) == GlassFit::LargerThanGlass) {
    return "the document size \"" + size.Name() + "\" (" + InchesText(size.Width(), size.Height()) +
           ") is larger than the scanner's glass (" +
           InchesText(limits.glass->width, limits.glass->height) + "); --size chooses another";
  }
  if (limits.resolutions &&
      (resolution < limits.resolutions->lowest || resolution > limits.resolutions->highest)) {
    return "the scanner offers resolutions from " + std::to_string(limits.resolutions->lowest) +
           " to " + std::to_string(limits.resolutions->highest) + " dpi, not " +
           std::to_string(resolution) + "; --resolution chooses one";
  }
  return std::nullopt;
}
