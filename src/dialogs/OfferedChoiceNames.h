#pragma once

#include <QString>
#include <optional>

// The texts the settings dialog shows for the offered pixel types and file
// formats; a value the program does not know has no text.
std::optional<QString> PixelTypeChoiceName(int pixelType);
std::optional<QString> FileFormatChoiceName(int fileFormatType);
