#pragma once

#include <cstdint>
#include <string>

// libHaru's own name for one of its error numbers, in words, such as "invalid
// JPEG data"; numbers without a name here give "error 0x1234".
std::string PdfErrorText(std::uint32_t errorNumber, std::uint32_t detailNumber);
