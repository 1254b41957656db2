// Documents without text are read by the recognition engine, resumably.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "SearchableDocuments.h"
#include "TextPages.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/TextEngine.h"
#include "search/ArchiveIndex.h"
#include "search/DocumentRecognition.h"

namespace {

TEST(RecognitionTest, PicturesAndPdfsWithoutTextBecomeFindableAndAHaltIsResumed) {
  QTemporaryDir archive, cache, pages;
  const std::string root = archive.path().toStdString();
  const std::string folder = cache.path().toStdString() + "/index/";
  const std::string picture = root + "/Letter.png";
  const std::string pdf = root + "/Scan.pdf";
  const std::string page = pages.path().toStdString() + "/Page 001.jpg";
  text_pages::RenderPage(picture, "Quarterly", text_pages::EnglishParagraphs(), Qt::white);
  text_pages::RenderPage(page, "Greenhouse", text_pages::EnglishParagraphs(), Qt::white);
  ASSERT_TRUE(WritePdfWithoutText(pdf, {page}));

  {
    ArchiveIndex index(root, folder, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    EXPECT_EQ(index.AwaitingRecognition(10).size(), 2u);
    // A halted recognition gives nothing, and the document keeps waiting.
    TextEngine engine(RecognitionDataFolder(), "eng");
    const std::atomic<bool> halted = true;
    std::vector<std::string> pages;
    EXPECT_FALSE(RecognizeDocument(picture, engine, halted, pages));
    EXPECT_TRUE(pages.empty());
  }
  ArchiveIndex index(root, folder, "eng");  // as after a restart
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  auto waiting = index.AwaitingRecognition(10);
  ASSERT_EQ(waiting.size(), 2u);
  TextEngine engine(RecognitionDataFolder(), "eng");
  const std::atomic<bool> running = false;
  for (const std::string& path : waiting) {
    std::vector<std::string> text;
    ASSERT_TRUE(RecognizeDocument(path, engine, running, text)) << path;
    ASSERT_TRUE(index.IndexDocument(path, text));
  }
  EXPECT_TRUE(index.AwaitingRecognition(10).empty());
  for (const auto& [word, name] :
       {std::pair{"quarterly", "Letter.png"}, std::pair{"greenhouse", "Scan.pdf"}}) {
    SearchQuery query;
    query.words = word;
    const auto hits = index.Search(query);
    ASSERT_EQ(hits.size(), 1u) << word;
    EXPECT_EQ(hits[0].name, name);
  }
}

// Every page of a multi-page TIFF is read, in order; a recognition halted
// after some pages goes on from the next one and keeps the pages it had.
TEST(RecognitionTest, EveryPageOfATiffIsReadAndAHaltedOneGoesOnWhereItStopped) {
  QTemporaryDir archive, pages;
  const std::string tiff = archive.path().toStdString() + "/Letters.tif";
  std::vector<std::string> files;
  for (const char* heading : {"Orchard", "Quarterly", "Greenhouse"}) {
    files.push_back(pages.path().toStdString() + "/" + heading + ".png");
    text_pages::RenderPage(files.back(), heading, text_pages::EnglishParagraphs().mid(0, 1),
                           Qt::white);
  }
  ASSERT_TRUE(WriteTiffDocument(tiff, files));

  TextEngine engine(RecognitionDataFolder(), "eng");
  const std::atomic<bool> running = false;
  std::vector<std::string> text = {"read before the halt"};
  ASSERT_TRUE(RecognizeDocument(tiff, engine, running, text));
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(text[0], "read before the halt");
  EXPECT_NE(text[1].find("Quarterly"), std::string::npos) << text[1];
  EXPECT_NE(text[2].find("Greenhouse"), std::string::npos) << text[2];
  EXPECT_EQ(text[2].find("Quarterly"), std::string::npos) << text[2];
}

}  // namespace
