#pragma once

#include <optional>
#include <string>

#include "app/CommandArguments.h"

// The searchable-PDF options of the scan and convert commands: --ocr, --no-ocr
// and --ocr-language LANG (an installed language, or several joined by "+").
inline constexpr OptionSpec kRecognitionOptions[] = {
    {"--ocr", false}, {"--no-ocr", false}, {"--ocr-language", true}};

// Puts the options in force for this run over the stored settings; the
// message returned says what is wrong with them.
std::optional<std::string> ApplyRecognitionOptions(const CommandArguments& arguments);
