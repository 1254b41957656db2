#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/FileFormatType.h"
#include "core/PixelType.h"

// The texts the settings dialog shows for the offered pixel types and file
// formats; a value outside the enumerations has no text.
std::optional<QString> PixelTypeChoiceName(PixelType pixelType);
std::optional<QString> FileFormatChoiceName(FileFormatType fileFormatType);

// One entry of a choice list: the stored number, which the list keeps as its
// item data, and the text shown for it.
struct OfferedChoice {
  std::int32_t value;
  std::optional<QString> name;
};

std::vector<OfferedChoice> PixelTypeChoices(const std::vector<PixelType>& offered);
std::vector<OfferedChoice> FileFormatChoices(const std::vector<FileFormatType>& offered);
