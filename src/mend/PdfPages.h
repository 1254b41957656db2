#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mend/PageSources.h"

// PDF pages rearranged with qpdf: page objects move between documents as they
// are, streams are copied without being decoded, and a turn only changes the
// page's /Rotate, so images and text layers stay byte for byte. The first
// output keeps the first source's document catalogue and information.
// Nothing, with `error` set, when a file cannot be read.
std::unique_ptr<PageFiles> OpenPdfFiles(const std::vector<std::string>& files, std::string& error);
