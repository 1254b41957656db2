#include "dialogs/OfferedChoiceNames.h"

#include <array>

#include "writers/FileFormatType.h"

std::optional<QString> PixelTypeChoiceName(int pixelType) {
  static const std::array<const char*, 4> kNames = {"Color (high)", "Color (low)", "Gray",
                                                    "Black and White"};
  if (pixelType < 0 || pixelType >= static_cast<int>(kNames.size()))
    return std::nullopt;
  return QString(kNames[pixelType]);
}

std::optional<QString> FileFormatChoiceName(int fileFormatType) {
  if (fileFormatType < 0 || fileFormatType >= kFileFormatTypeCount)
    return std::nullopt;
  return QString::fromStdString(FileFormatDisplayName(fileFormatType));
}
