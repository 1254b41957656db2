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

// Copies between our bitmaps and Leptonica's images, for the formats whose
// pixels Leptonica can rotate without a palette: 8-bit grey, 1-bit and
// 24-bit colour (held as 32-bit, channel order kept). Null or not OK for any
// other format.
PixPtr PixFromBitmap(const Bitmap& page);
ImagingStatus BitmapFromPix(Pix* pix, const Bitmap& like, Bitmap& out);

// An 8-bit grey copy of any page for the orientation model, reduced by the
// whole factor that brings it nearest above `dpi`: a sketch of a colour page,
// a few megabytes whatever the scan's resolution. Null when memory runs out.
PixPtr GreyPixForEngine(const Bitmap& page, int dpi);
// The whole factor GreyPixForEngine reduces the page by.
int EngineReduction(const Bitmap& page, int dpi);
