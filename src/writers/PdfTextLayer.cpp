#include "writers/PdfTextLayer.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "ocr/PageText.h"

namespace {

constexpr const char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// Text is set at this size and brought to each word's size by the text matrix,
// which has no range limits of its own (libHaru caps sizes and scalings).
constexpr HPDF_REAL kSetSize = 10;

// Where a point of the upright page lands on the stored page file, as
// x = a0 + a1 u + a2 v and y = b0 + b1 u + b2 v, for each clockwise turn.
struct UprightToFile {
  double a0, a1, a2, b0, b1, b2;
};

UprightToFile TurnBack(int clockwiseTurn, double fileWidth, double fileHeight) {
  switch (clockwiseTurn) {
    case 90:
      return {0, 0, 1, fileHeight, -1, 0};
    case 180:
      return {fileWidth, -1, 0, fileHeight, 0, -1};
    case 270:
      return {fileWidth, 0, -1, 0, 1, 0};
    default:
      return {0, 1, 0, 0, 0, 1};
  }
}

}  // namespace

const char* TextLayerFontPath() {
  return kFontPath;
}

HPDF_Font PdfTextLayer::Font() {
  if (fontTried_)
    return font_;
  fontTried_ = true;
  std::error_code error;
  if (!std::filesystem::is_regular_file(kFontPath, error)) {
    failure_ = std::string("the text font ") + kFontPath + " is missing";
    return nullptr;
  }
  if (HPDF_UseUTFEncodings(document_) != HPDF_OK) {
    failure_ = "the PDF library offers no Unicode text";
    return nullptr;
  }
  const char* name = HPDF_LoadTTFontFromFile(document_, kFontPath, HPDF_TRUE);
  font_ = name != nullptr ? HPDF_GetFont(document_, name, "UTF-8") : nullptr;
  if (font_ == nullptr)
    failure_ = std::string("the text font ") + kFontPath + " cannot be loaded";
  return font_;
}

bool PdfTextLayer::Draw(HPDF_Page page, const PageText& text, HPDF_REAL pageWidth,
                        HPDF_REAL pageHeight) {
  if (text.words.empty() || text.width <= 0 || text.height <= 0)
    return true;
  HPDF_Font font = Font();
  if (font == nullptr)
    return false;
  const bool sideways = text.clockwiseTurn == 90 || text.clockwiseTurn == 270;
  const double fileWidth = sideways ? text.height : text.width;
  const double fileHeight = sideways ? text.width : text.height;
  const double sx = pageWidth / fileWidth;
  const double sy = pageHeight / fileHeight;
  const UprightToFile turn = TurnBack(text.clockwiseTurn, fileWidth, fileHeight);
  // The font's ascent (per 1000 of the size) spans a line's top to its
  // baseline, so a selection starts at the tallest letters and reaches below
  // the baseline as the descenders do, whether or not the line has any.
  const double ascent = HPDF_Font_GetAscent(font) / 1000.0;
  if (ascent <= 0)
    return false;

  bool ok = HPDF_Page_BeginText(page) == HPDF_OK &&
            HPDF_Page_SetTextRenderingMode(page, HPDF_INVISIBLE) == HPDF_OK &&
            HPDF_Page_SetFontAndSize(page, font, kSetSize) == HPDF_OK;
  for (const RecognizedWord& word : text.words) {
    if (!ok)
      break;
    const auto* bytes = reinterpret_cast<const HPDF_BYTE*>(word.text.c_str());
    const HPDF_TextWidth natural = HPDF_Font_TextWidth(font, bytes, word.text.size());
    const double aboveBaseline = word.baseline - word.lineTop;
    const double boxWidth = word.right - word.left;
    if (natural.width == 0 || aboveBaseline <= 0 || boxWidth <= 0)
      continue;
    // Upright pixels per unit of the set size, across and along the line.
    const double k = aboveBaseline / ascent / kSetSize;
    const double stretch = boxWidth / (natural.width / 1000.0 * kSetSize * k);
    const double u = word.left;
    const double v = word.baseline;
    const double x = turn.a0 + turn.a1 * u + turn.a2 * v;
    const double y = turn.b0 + turn.b1 * u + turn.b2 * v;
    const auto a = static_cast<HPDF_REAL>(sx * turn.a1 * k * stretch);
    const auto b = static_cast<HPDF_REAL>(-sy * turn.b1 * k * stretch);
    const auto c = static_cast<HPDF_REAL>(-sx * turn.a2 * k);
    const auto d = static_cast<HPDF_REAL>(sy * turn.b2 * k);
    ok = HPDF_Page_SetTextMatrix(page, a, b, c, d, static_cast<HPDF_REAL>(sx * x),
                                 static_cast<HPDF_REAL>(pageHeight - sy * y)) == HPDF_OK &&
         HPDF_Page_ShowText(page, word.text.c_str()) == HPDF_OK;
  }
  // The text object is closed whatever happened, so the page stays valid.
  const bool ended = HPDF_Page_EndText(page) == HPDF_OK;
  if (!ok || !ended)
    failure_ = "the PDF library refused the page's text";
  return ok && ended;
}
