#pragma once

#include <optional>
#include <string>

#include "settings/DocumentSize.h"
#include "settings/IDataSourceSize.h"

// Whether a document size can be scanned on a scanner's glass: a size of
// nothing cannot, and a larger one would come out stretched (the scanner
// delivers what its glass holds, the page is written at the size asked).
enum class GlassFit { Fits, NoSize, LargerThanGlass };

// `glass` is in thousandths of an inch; an unknown glass (nothing, or zero)
// takes any size that has one.
GlassFit FitOnGlass(const DocumentSize& size, const std::optional<ScanAreaSize>& glass);

// "8.50 x 14.00 in"
std::string InchesText(int width, int height);
