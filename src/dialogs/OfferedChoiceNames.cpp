#include "dialogs/OfferedChoiceNames.h"

#include "core/FileFormatType.h"
#include "core/PixelType.h"

// The name functions refuse unknown values outright; here an unknown value is
// only a missing name, which the dialog itself checks.

std::optional<QString> PixelTypeChoiceName(int pixelType) {
  if (pixelType < 0 || pixelType >= kPixelTypeCount)
    return std::nullopt;
  return QString(PixelTypeDisplayName(pixelType));
}

std::optional<QString> FileFormatChoiceName(int fileFormatType) {
  if (fileFormatType < 0 || fileFormatType >= kFileFormatTypeCount)
    return std::nullopt;
  return QString::fromStdString(FileFormatDisplayName(fileFormatType));
}
