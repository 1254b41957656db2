#pragma once

#include <cstdint>

#include "platform/imaging/ImagingStatus.h"

// The most memory one decode may take, the page's pixels and the decoder's own
// working memory together: a 1,200 dpi A3 colour page (14,031 × 19,843 pixels
// of 3 bytes, 835 MB) with room for the decoder's buffers. Files that declare
// more are refused before anything is allocated, so no one file can take the
// machine's memory.
inline constexpr std::uint64_t kMaxDecodeBytes = std::uint64_t{850} * 1000 * 1000;

// TooLarge, with the reason in the thread's imaging error record, when
// decoding needs more than kMaxDecodeBytes; Ok otherwise.
ImagingStatus CheckDecodeSize(std::uint64_t bytes);
