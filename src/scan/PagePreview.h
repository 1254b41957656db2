#pragma once

#include <QImage>
#include <cstddef>

// A small copy of a scanned page for the window's preview, sampled straight
// from the scanner's bitmap (nearest pixel), so a page of tens of megabytes
// costs the window about as much as the copy itself: no decode, no full-size
// copy. Its longer side is at most `longestSide` pixels; a null image for a
// block that is no bitmap.
QImage PagePreview(const void* dib, std::size_t dibSize, int longestSide);
