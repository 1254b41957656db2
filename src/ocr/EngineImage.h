#pragma once

#include <tesseract/baseapi.h>

#include "platform/imaging/Bitmap.h"

// Hands a grey page to an engine, which keeps its own copy: the caller may
// free the page as soon as this returns.
inline void SetEnginePage(tesseract::TessBaseAPI& api, const Bitmap& page, int dpi) {
  api.SetImage(page.Row(0), page.Width(), page.Height(), 1, static_cast<int>(page.Stride()));
  api.SetSourceResolution(dpi);
}

// The engine's chatter goes to its own debug file, not over the program's log.
inline void QuietenEngine(tesseract::TessBaseAPI& api) {
  api.SetVariable("debug_file", "/dev/null");
}
