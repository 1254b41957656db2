#pragma once

#include "cleanup/LeptonicaPix.h"
#include "platform/imaging/Bitmap.h"

// What the clean-up reads of a page, made in one pass over it so that no
// grey copy of the page is ever held, whatever its format: a few hundred
// kilobytes at 300 dpi.
struct PageSketch {
  int paper = 255;  // the grey of the paper: the page's median
  PixPtr quarter;   // 8-bit grey at a quarter of the resolution, each pixel the mean of 4 × 4
  PixPtr ink;       // 1-bit, where letters can still be told apart: the means of 2 × 2
                    // below InkThreshold(paper), or the page's own pixels below 280 dpi
  PixPtr faint;     // 1-bit, as `ink`, of means of 2 × 2 darker than the paper around
                    // them by FaintContrast(): light pencil, a faint stamp
};

// Sketches the page; the quarter is null for a page too small to judge (less
// than 4 pixels either way), and all are null when memory runs out.
PageSketch SketchPage(const Bitmap& page);
