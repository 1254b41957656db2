#pragma once

#include <hpdf.h>

#include <string>

struct PageText;

// Draws a page's recognised words over its image as invisible text (render
// mode 3), each word stretched to its printed box, so that viewers find and
// select the words while the page looks exactly as scanned. The text uses an
// embedded Unicode font, loaded once per document with the first word.
class PdfTextLayer {
 public:
  explicit PdfTextLayer(HPDF_Doc document) : document_(document) {}

  // Draws over a page of pageWidth by pageHeight points whose image is the
  // page file `text` was recognised from. False when the font cannot be had or
  // libHaru refused a step; the page then keeps its image alone.
  bool Draw(HPDF_Page page, const PageText& text, HPDF_REAL pageWidth, HPDF_REAL pageHeight);
  const std::string& Failure() const { return failure_; }

 private:
  HPDF_Font Font();

  HPDF_Doc document_;
  HPDF_Font font_ = nullptr;
  bool fontTried_ = false;
  std::string failure_;
};

// The TrueType font embedded for text layers: DejaVu Sans, on every Debian
// desktop, covering Latin, Greek, Cyrillic, Armenian, Georgian, Hebrew and
// Arabic letters. Characters outside it still search and copy correctly: the
// layer carries their Unicode values, only their (invisible) shapes are blank.
const char* TextLayerFontPath();
