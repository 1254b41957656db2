#include "dialogs/OfferedChoiceNames.h"

#include "core/FileFormatType.h"
#include "core/PixelType.h"

// The name functions refuse unknown values outright; here an unknown value is
// only a missing name, which the dialog itself checks.

std::optional<QString> PixelTypeChoiceName(PixelType pixelType) {
  if (!PixelTypeFromValue(PixelTypeValue(pixelType)))
    return std::nullopt;
  return QString(PixelTypeDisplayName(pixelType));
}

std::optional<QString> FileFormatChoiceName(FileFormatType fileFormatType) {
  if (!FileFormatTypeFromValue(FileFormatTypeValue(fileFormatType)))
    return std::nullopt;
  return QString::fromStdString(FileFormatDisplayName(fileFormatType));
}

std::vector<OfferedChoice> PixelTypeChoices(const std::vector<PixelType>& offered) {
  std::vector<OfferedChoice> choices;
  for (const PixelType pixelType : offered)
    choices.push_back({PixelTypeValue(pixelType), PixelTypeChoiceName(pixelType)});
  return choices;
}

std::vector<OfferedChoice> FileFormatChoices(const std::vector<FileFormatType>& offered) {
  std::vector<OfferedChoice> choices;
  for (const FileFormatType format : offered)
    choices.push_back({FileFormatTypeValue(format), FileFormatChoiceName(format)});
  return choices;
}
