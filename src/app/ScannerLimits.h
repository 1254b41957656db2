#pragma once

#include <optional>
#include <string>

#include "settings/IDataSourceSize.h"
#include "twain/TwainHelper.h"

class DocumentSize;

// What the selected scanner tells of itself: its glass (thousandths of an
// inch) and the resolutions it offers.
struct ScannerLimits {
  std::optional<ScanAreaSize> glass;
  std::optional<ResolutionRange> resolutions;
};

// Why a document cannot be scanned as asked, before any page is: a size of
// nothing, a size larger than the glass (the page would be stretched), a
// resolution the scanner does not offer (it would stall); nothing when it can.
std::optional<std::string> RefuseDocumentSize(const DocumentSize& size);
std::optional<std::string> RefuseForScanner(const DocumentSize& size, int resolution,
                                            const ScannerLimits& limits);
