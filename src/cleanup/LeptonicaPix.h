#pragma once

#include <memory>

#include "platform/imaging/Bitmap.h"

struct Pix;

struct PixDeleter {
  void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// An 8-bit page whose palette is the grey ramp from black to white: its
// bytes are its greys.
bool IsPlainGrey(const Bitmap& page);

// The page in 8-bit grey at half its resolution, each pixel the mean of two
// by two: noise averages out while a thin pen line stays dark enough to see.
// Null when memory runs out.
PixPtr HalfSizeGrey(const Bitmap& page);

// The page's ink as a 1-bit image: greys below `inkBelow` are set.
PixPtr InkOfPage(const Bitmap& page, int inkBelow);

// Copies between our bitmaps and Leptonica's images, for the formats whose
// pixels Leptonica can rotate without a palette: 8-bit grey, 1-bit and
// 24-bit colour (held as 32-bit, channel order kept). Null or not OK for any
// other format.
PixPtr PixFromBitmap(const Bitmap& page);
ImagingStatus BitmapFromPix(Pix* pix, const Bitmap& like, Bitmap& out);
