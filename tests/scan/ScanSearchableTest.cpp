// A letter scanned into a PDF is found by the words of its text: pages of
// known text come from the fake manager as a feeder batch, each page is
// recognised as it reaches disk, and the combined PDF carries their text.
#include <gtest/gtest.h>

#include <QImage>

#include "TextPages.h"
#include "WorkflowFixture.h"
#include "scan/ScanNextPageDlg.h"
#include "settings/AppSettings.h"

namespace {

using namespace text_pages;

std::vector<std::uint8_t> Dib(const std::string& pageFile) {
  return DibOf(QImage(QString::fromStdString(pageFile)));
}

class ScanSearchableTest : public WorkflowFixture {};

TEST_F(ScanSearchableTest, ScannedLetterIsFoundByItsWords) {
  AppSettings settings;
  settings.SetMakePdfSearchable(true);
  settings.SetRecognitionLanguage("eng");
  const std::string first = PathOf("first.png");
  const std::string second = PathOf("second.png");
  RenderPage(first, "Renewal", EnglishParagraphs().mid(0, 1), Qt::white);
  const PrintedPage printed =
      RenderPage(second, "Premium", EnglishParagraphs().mid(1), QColor(0xE0, 0xE0, 0xE0));
  ScriptScans({2});
  source_.pages = {Dib(first), Dib(second)};
  nextPageChoices_ = {DONE_SCANNING};
  Answer();
  host_.choices.fileFormatType = FileFormatType::PdfCompressed;
  host_.choices.isMultiPageDocument = true;
  host_.choices.resolution = kDpi;
  Build();

  Click();

  ASSERT_TRUE(Exists("Doc.pdf"));
  EXPECT_FALSE(Exists("Doc"));
  EXPECT_TRUE(Comparable(PdfPageText(PathOf("Doc.pdf"), 1)).contains("Renewal"));
  const QStringList found = Comparable(PdfPageText(PathOf("Doc.pdf"), 2));
  EXPECT_GE(InOrderShare(printed.words, found), 0.95) << found.join(' ').toStdString();
  // The window hears of the document with the text it already holds, page by page.
  ASSERT_EQ(host_.saved.size(), 1u);
  EXPECT_EQ(host_.saved[0].first, PathOf("Doc.pdf"));
  ASSERT_EQ(host_.saved[0].second.size(), 2u);
  EXPECT_TRUE(QString::fromStdString(host_.saved[0].second[0]).contains("Renewal"));
  EXPECT_GE(
      InOrderShare(printed.words, Comparable(QString::fromStdString(host_.saved[0].second[1]))),
      0.95);
  EXPECT_TRUE(Asked().isEmpty()) << prompt_->asked.front().text.toStdString();
}

}  // namespace
