#pragma once

#include "cleanup/LeptonicaPix.h"
#include "platform/imaging/Bitmap.h"

// What the clean-up reads of a page, made in one pass over it so that no
// grey copy of the page is ever held: a few hundred kilobytes at 300 dpi.
struct PageSketch {
  int paper = 255;  // the grey of the paper
  PixPtr quarter;   // 8-bit grey at a quarter of the resolution, each pixel the mean of 4 × 4
  PixPtr ink;       // 1-bit, where letters can still be told apart: the means of 2 × 2
                    // below InkThreshold(paper), or the page's own pixels below 280 dpi
};

// Sketches the page; the quarter is null for a page too small to judge (less
// than 4 pixels either way), and both are null when memory runs out.
PageSketch SketchPage(const Bitmap& page);
