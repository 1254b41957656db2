#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mend/PageSources.h"

// TIFF pages rearranged with libtiff: each page's strips or tiles are copied
// raw with its directory's tags, never decoded. A turn changes the page's
// Orientation tag, composed with the orientation it had.
// Nothing, with `error` set, when a file cannot be read.
std::unique_ptr<PageFiles> OpenTiffFiles(const std::vector<std::string>& files, std::string& error);

// The Orientation tag value (1-8) of `orientation` turned clockwise by `quarterTurns`.
int TurnedOrientation(int orientation, int quarterTurns);
