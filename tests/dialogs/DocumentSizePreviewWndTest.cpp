#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "core/ContractError.h"
#include "dialogs/DocumentSizePreviewWnd.h"

namespace {

const QColor kUntouched(0, 200, 0);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

// A 300 x 300 client with the glass 8500 x 11693: the glass is 218 pixels wide
// at x 41..258, its inside 42..257 by 1..298.
QImage Render(int documentWidth, int documentHeight, int origin, int scannerWidth = 8500,
              int scannerHeight = 11693) {
  DocumentSizePreviewWnd preview;
  preview.resize(300, 300);
  preview.SetScannerSize(scannerWidth, scannerHeight);
  preview.SetDocumentSize(documentWidth, documentHeight);
  preview.SetOrigin(static_cast<ScannerOrigin>(origin));
  QImage image(300, 300, QImage::Format_RGB32);
  image.fill(kUntouched);
  QPainter painter(&image);
  preview.Paint(painter, QRect(0, 0, 300, 300));
  return image;
}

QColor At(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}

int CountOf(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += image.pixelColor(x, y) == colour;
  }
  return count;
}

TEST(DocumentSizePreviewWnd, TopLeftDocumentSitsInTheGlassCorner) {
  const QImage image = Render(8500, 11000, 1);
  // Glass outline, black, one pixel wide, all round.
  for (QPoint p : {QPoint(41, 0), QPoint(258, 0), QPoint(41, 299), QPoint(258, 299), QPoint(150, 0),
                   QPoint(41, 150)}) {
    EXPECT_EQ(At(image, p.x(), p.y()), kBlack) << p.x() << "," << p.y();
  }
  EXPECT_NE(At(image, 40, 150), kBlack);
  EXPECT_NE(At(image, 259, 150), kBlack);
  // The document: 216 x 280 pixels from the inner corner (42, 1), red edge, white inside.
  for (QPoint p : {QPoint(42, 1), QPoint(257, 1), QPoint(42, 280), QPoint(257, 280)}) {
    EXPECT_EQ(At(image, p.x(), p.y()), kRed) << p.x() << "," << p.y();
  }
  EXPECT_EQ(At(image, 150, 150), kWhite);
  // Slightly shorter than the glass: button face below it.
  EXPECT_NE(At(image, 150, 281), kRed);
  EXPECT_NE(At(image, 150, 281), kWhite);
  EXPECT_EQ(CountOf(image, kUntouched), 0) << "the whole client is painted";
}

TEST(DocumentSizePreviewWnd, EachOriginAnchorsItsCorner) {
  // A document half the glass in each direction: 108 x 148 pixels.
  const struct {
    int origin;
    QPoint corner, opposite;
  } cases[] = {{1, {42, 1}, {149, 148}},
               {2, {257, 1}, {150, 148}},
               {3, {42, 298}, {149, 151}},
               {4, {257, 298}, {150, 151}}};
  for (const auto& c : cases) {
    const QImage image = Render(4250, 5846, c.origin);
    EXPECT_EQ(At(image, c.corner.x(), c.corner.y()), kRed) << c.origin;
    EXPECT_EQ(At(image, c.opposite.x(), c.opposite.y()), kRed) << c.origin;
    EXPECT_EQ(At(image, 150, 0), kBlack) << c.origin;
  }
}

TEST(DocumentSizePreviewWnd, UnknownOriginCentresTheDocumentWithoutGlass) {
  const QImage image = Render(4250, 5846, 0);
  EXPECT_EQ(CountOf(image, kBlack), 0);
  const auto geometry = DocumentSizePreviewWnd::ComputeGeometry(
      QRect(0, 0, 300, 300), 8500, 11693, 4250, 5846, static_cast<ScannerOrigin>(0));
  EXPECT_EQ(geometry.document, QRect(96, 76, 108, 148));
  EXPECT_EQ(At(image, 96, 76), kRed);
  EXPECT_EQ(At(image, 203, 223), kRed);
  EXPECT_EQ(At(image, 150, 150), kWhite);
}

TEST(DocumentSizePreviewWnd, MissingSizesDrawNothing) {
  const int cases[][4] = {{0, 0, 8500, 11693},
                          {8500, 0, 8500, 11693},
                          {8500, 11000, 0, 11693},
                          {8500, 11000, 8500, 0},
                          {-8500, 11000, 8500, 11693}};
  for (const auto& c : cases) {
    const QImage image = Render(c[0], c[1], 1, c[2], c[3]);
    EXPECT_EQ(CountOf(image, kUntouched), 300 * 300) << c[0] << " " << c[1];
  }
}

struct GeometryCase {
  const char* name;
  int client;  // a square client, pixels
  int scannerWidth, scannerHeight, documentWidth, documentHeight;
  int origin;
  QRect glass, document;
};

class PreviewGeometry : public testing::TestWithParam<GeometryCase> {};

TEST_P(PreviewGeometry, PlacesTheGlassAndTheDocument) {
  const GeometryCase& c = GetParam();
  const auto geometry = DocumentSizePreviewWnd::ComputeGeometry(
      QRect(0, 0, c.client, c.client), c.scannerWidth, c.scannerHeight, c.documentWidth,
      c.documentHeight, static_cast<ScannerOrigin>(c.origin));
  EXPECT_EQ(geometry.glass, c.glass);
  EXPECT_EQ(geometry.document, c.document);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentSizePreviewWnd, PreviewGeometry,
    testing::Values(GeometryCase{"OversizedDocumentKeepsItsCorner", 300, 8500, 11693, 17000, 23386,
                                 4, QRect(41, 0, 218, 300), QRect(258 - 432, 299 - 596, 432, 596)},
                    // A glass wider than the client keeps both its edges in view.
                    GeometryCase{"WideGlassFitsTheClientsWidth", 100, 20000, 8500, 20000, 8500, 1,
                                 QRect(0, 29, 100, 42), QRect(1, 30, 98, 40)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentSizePreviewWnd, OriginsOutsideTheCornersAreContractFailures) {
  DocumentSizePreviewWnd preview;
  EXPECT_THROW(preview.SetOrigin(static_cast<ScannerOrigin>(5)), precondition_error);
  EXPECT_THROW(preview.SetOrigin(static_cast<ScannerOrigin>(-1)), precondition_error);
  EXPECT_THROW(DocumentSizePreviewWnd::ComputeGeometry(QRect(0, 0, 10, 10), 1, 1, 1, 1,
                                                       static_cast<ScannerOrigin>(5)),
               postcondition_error);
}

}  // namespace
