// A feeder batch cleaned up as it arrives: the blank backs of single-sided
// sheets are set aside where the notice says, a sheet fed upside down is
// turned upright and a crooked one straightened, whatever the format.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "ScannedPageMaker.h"
#include "TestFiles.h"
#include "WorkflowFixture.h"
#include "cleanup/PageCleaner.h"
#include "scan/ScanNextPageDlg.h"

namespace {

using scanned_pages::Content;
using scanned_pages::Recipe;

constexpr int kDpi = 200;

std::vector<std::uint8_t> Dib(const Recipe& recipe) {
  return DibOf(scanned_pages::MakePage(recipe));
}

// Mean grey of a band of rows: text makes it darker than bare paper.
double BandGrey(const QImage& page, double from, double to) {
  const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
  double sum = 0;
  int count = 0;
  for (int y = static_cast<int>(from * grey.height()); y < to * grey.height(); ++y)
    for (int x = 0; x < grey.width(); x += 4, ++count)
      sum += grey.constScanLine(y)[x];
  return sum / count;
}

class ScanCleanupTest : public WorkflowFixture {
 protected:
  // Front, blank back (noisy, with bleed-through), front fed upside down,
  // blank back with punch holes, front pulled in at 4 degrees.
  void ScriptFeederBatch() {
    ScriptScans({5});
    source_.pages = {
        Dib({.content = Content::Text, .dpi = kDpi, .seed = 1}),
        Dib({.content = Content::Nothing, .dpi = kDpi, .noise = true, .bleedThrough = true}),
        Dib({.content = Content::Text, .dpi = kDpi, .clockwiseTurn = 180, .seed = 2}),
        Dib({.content = Content::Nothing, .dpi = kDpi, .holes = true, .darkBorder = true}),
        Dib({.content = Content::Text, .dpi = kDpi, .skewDegrees = 4, .seed = 3}),
    };
    host_.choices.resolution = kDpi;
    host_.choices.documentSize = DocumentSize("A4", 8268, 11693);
    host_.choices.isMultiPageDocument = true;
    host_.choices.cleanup = {true, true, true};
    nextPageChoices_ = {DONE_SCANNING};
  }
};

TEST_F(ScanCleanupTest, BlankBacksOfAFeederBatchAreLeftOutOfThePdfAndKeptBesideIt) {
  host_.choices.fileFormatType = FileFormatType::PdfCompressed;
  ScriptFeederBatch();
  Build();
  Click();

  EXPECT_EQ(PdfPageCount(PathOf("Doc.pdf")), 3);
  EXPECT_FALSE(Exists("Doc"));
  EXPECT_TRUE(Exists("Doc (blank pages)/Blank page 001.jpg"));
  EXPECT_TRUE(Exists("Doc (blank pages)/Blank page 002.jpg"));
  ASSERT_FALSE(host_.notices.empty());
  EXPECT_NE(host_.notices.back().find(PathOf("Doc (blank pages)/")), std::string::npos);
}

TEST_F(ScanCleanupTest, AFolderOfPngPagesHoldsTheFrontsUprightAndStraight) {
  host_.choices.fileFormatType = FileFormatType::Png;
  ScriptFeederBatch();
  Build();
  Click();

  EXPECT_EQ(workflow_->PageNumber(), 4);
  EXPECT_TRUE(Exists("Doc/Page 001.png"));
  EXPECT_FALSE(Exists("Doc/Page 004.png"));
  EXPECT_TRUE(Exists("Doc (blank pages)/Blank page 001.png"));
  EXPECT_TRUE(Exists("Doc (blank pages)/Blank page 002.png"));
  const QImage turned(QString::fromStdString(PathOf("Doc/Page 002.png")));
  ASSERT_FALSE(turned.isNull());
  EXPECT_LT(BandGrey(turned, 0.1, 0.25), BandGrey(turned, 0.85, 0.95) - 5);
  // Straight now: measured again, the page needs no turn.
  Bitmap straight =
      scanned_pages::GreyBitmap(QImage(QString::fromStdString(PathOf("Doc/Page 003.png"))));
  PageCleaner measure({.deskew = true});
  ASSERT_TRUE(IsOk(measure.Clean(straight)));
  EXPECT_EQ(measure.LastCleanup().skewDegrees, 0);
}

TEST_F(ScanCleanupTest, TheBlankPageOfASinglePageDocumentGoesToTheTrash) {
  ScriptScans({1});
  source_.pages = {Dib({.content = Content::Nothing, .dpi = kDpi, .specks = true})};
  host_.choices.resolution = kDpi;
  host_.choices.fileFormatType = FileFormatType::Png;
  host_.choices.cleanup.skipBlank = true;
  Build();
  Click();

  EXPECT_FALSE(Exists("Doc.png"));
  const QString trash = QDir::homePath() + "/.local/share/Trash/files/Doc.png";
  const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  EXPECT_TRUE(QFile::exists(trash) || QFile::exists(dataHome + "/Trash/files/Doc.png"));
  ASSERT_FALSE(host_.notices.empty());
  EXPECT_NE(host_.notices.back().find("trash"), std::string::npos);
  // No document was written: the folder's name series stays where it was.
  EXPECT_EQ(host_.saveFolderPreferencesCalls, 0);
}

}  // namespace
