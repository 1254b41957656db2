#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>

struct PageText;

// Draws a page's recognised words over its image as invisible text (render
// mode 3), each word stretched to its printed box, so that viewers find and
// select the words while the page looks exactly as scanned. An invisible
// layer needs no glyph shapes: the font is a glyphless one of a few hundred
// bytes, every character as wide as the next, carrying Unicode values only.
class PdfTextLayer {
 public:
  explicit PdfTextLayer(QPDF& pdf) : pdf_(pdf) {}

  // Appends the words to a page's content, for a page of pageWidth by
  // pageHeight points whose image is the page file `text` was recognised
  // from. False when the font cannot be had; the page then keeps its image alone.
  bool Draw(std::string& content, const PageText& text, double pageWidth, double pageHeight);
  // The font the drawn words use, for the page's resources as kFontName.
  QPDFObjectHandle Font() const { return font_; }
  const std::string& Failure() const { return failure_; }

  static constexpr const char* kFontName = "/F1";

 private:
  bool MakeFont();

  QPDF& pdf_;
  QPDFObjectHandle font_;
  bool fontTried_ = false;
  std::string failure_;
};

// The glyphless TrueType font embedded for text layers (it comes with the
// text recognition engine).
const char* TextLayerFontPath();
