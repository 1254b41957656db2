#include "writers/PdfTextLayer.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "ocr/PageText.h"

namespace {

constexpr const char kFontPath[] = "/usr/share/tesseract-ocr/5/tessdata/pdf.ttf";
// Text is set at this size and brought to each word's size by the text matrix.
constexpr double kSetSize = 10;
// Every character's advance, and the line's top and bottom above and below
// the baseline, in thousandths of the size.
constexpr int kAdvance = 500;
constexpr int kAscent = 928;
constexpr int kDescent = -236;

// Maps every two-byte code (a UTF-16 unit) back to itself as Unicode.
constexpr const char kToUnicode[] =
    "/CIDInit /ProcSet findresource begin\n"
    "12 dict begin\n"
    "begincmap\n"
    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
    "/CMapName /Adobe-Identity-UCS def\n"
    "/CMapType 2 def\n"
    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n"
    "1 beginbfrange\n<0000> <FFFF> <0000>\nendbfrange\n"
    "endcmap\n"
    "CMapName currentdict /CMap defineresource pop\n"
    "end\n"
    "end\n";

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

// The word as hexadecimal UTF-16 code units, the codes of the Identity-H font.
std::string Utf16Hex(const std::string& utf8, std::size_t& units) {
  std::string hex;
  units = 0;
  auto put = [&](unsigned unit) {
    char four[5];
    std::snprintf(four, sizeof four, "%04X", unit & 0xFFFF);
    hex += four;
    ++units;
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    unsigned code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<std::size_t>(extra) + 1;
    if (code >= 0x10000) {
      put(0xD800 + ((code - 0x10000) >> 10));
      put(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      put(code);
    }
  }
  return hex;
}

void Append(std::string& content, const char* format, double a, double b, double c, double d,
            double e, double f) {
  char line[160];
  std::snprintf(line, sizeof line, format, a, b, c, d, e, f);
  content += line;
}

}  // namespace

const char* TextLayerFontPath() {
  return kFontPath;
}

bool PdfTextLayer::MakeFont() {
  if (fontTried_)
    return font_.isInitialized();
  fontTried_ = true;
  std::ifstream file(kFontPath, std::ios::binary);
  std::string program((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof())
    program.clear();
  if (program.empty()) {
    failure_ = std::string("the text font ") + kFontPath + " is missing";
    return false;
  }
  QPDFObjectHandle fontFile = pdf_.newStream(program);
  fontFile.getDict().replaceKey("/Length1", QPDFObjectHandle::newInteger(program.size()));
  // Every code draws glyph 1, the font's one empty glyph.
  std::string toGlyph(2 * 65536, '\0');
  for (std::size_t i = 1; i < toGlyph.size(); i += 2)
    toGlyph[i] = '\1';
  QPDFObjectHandle descriptor = pdf_.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /FontDescriptor /FontName /GlyphLessFont /Flags 5 /FontBBox [0 " +
      std::to_string(kDescent) + " " + std::to_string(kAdvance) + " " + std::to_string(kAscent) +
      "] /ItalicAngle 0 /Ascent " + std::to_string(kAscent) + " /Descent " +
      std::to_string(kDescent) + " /CapHeight " + std::to_string(kAscent) + " /StemV 80 >>"));
  descriptor.replaceKey("/FontFile2", fontFile);
  QPDFObjectHandle cidFont = pdf_.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /GlyphLessFont"
      " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /DW " +
      std::to_string(kAdvance) + " >>"));
  cidFont.replaceKey("/FontDescriptor", descriptor);
  cidFont.replaceKey("/CIDToGIDMap", pdf_.newStream(toGlyph));
  font_ = pdf_.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /Font /Subtype /Type0 /BaseFont /GlyphLessFont /Encoding /Identity-H >>"));
  font_.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray({cidFont}));
  font_.replaceKey("/ToUnicode", pdf_.newStream(std::string(kToUnicode)));
  return true;
}

bool PdfTextLayer::Draw(std::string& content, const PageText& text, double pageWidth,
                        double pageHeight) {
  if (text.words.empty() || text.width <= 0 || text.height <= 0)
    return true;
  if (!MakeFont())
    return false;
  const bool sideways = text.clockwiseTurn == 90 || text.clockwiseTurn == 270;
  const double fileWidth = sideways ? text.height : text.width;
  const double fileHeight = sideways ? text.width : text.height;
  const double sx = pageWidth / fileWidth;
  const double sy = pageHeight / fileHeight;
  const UprightToFile turn = TurnBack(text.clockwiseTurn, fileWidth, fileHeight);
  // The ascent spans a line's top to its baseline, so a selection starts at
  // the tallest letters and reaches below the baseline as descenders do.
  const double ascent = kAscent / 1000.0;

  content += "BT\n3 Tr\n";
  content += std::string(kFontName) + " " + std::to_string(static_cast<int>(kSetSize)) + " Tf\n";
  for (const RecognizedWord& word : text.words) {
    std::size_t units = 0;
    const std::string hex = Utf16Hex(word.text, units);
    const double natural = units * (kAdvance / 1000.0);
    const double aboveBaseline = word.baseline - word.lineTop;
    const double boxWidth = word.right - word.left;
    if (units == 0 || aboveBaseline <= 0 || boxWidth <= 0)
      continue;
    // Upright pixels per unit of the set size, across and along the line.
    const double k = aboveBaseline / ascent / kSetSize;
    const double stretch = boxWidth / (natural * kSetSize * k);
    const double u = word.left;
    const double v = word.baseline;
    const double x = turn.a0 + turn.a1 * u + turn.a2 * v;
    const double y = turn.b0 + turn.b1 * u + turn.b2 * v;
    Append(content, "%.5f %.5f %.5f %.5f %.3f %.3f Tm\n", sx * turn.a1 * k * stretch,
           -sy * turn.b1 * k * stretch, -sx * turn.a2 * k, sy * turn.b2 * k, sx * x,
           pageHeight - sy * y);
    content += "<" + hex + "> Tj\n";
  }
  content += "ET\n";
  return true;
}
