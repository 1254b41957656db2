// The pool's engines: started only for pages that wait, ended when idle, and
// started again for later pages; pages turned only when they need it; and the
// half-size page the orientation model reads.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTransform>
#include <chrono>
#include <thread>
#include <utility>

#include "TextPages.h"
#include "ocr/GreyPage.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/RecognitionPool.h"

namespace {

using namespace text_pages;

bool EndsWithin(const RecognitionPool& pool, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (pool.EnginesAlive() > 0 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return pool.EnginesAlive() == 0;
}

TEST(RecognitionPoolTest, EnginesStartForWaitingPagesAndEndWhenIdle) {
  QTemporaryDir folder;
  const std::string first = QDir(folder.path()).filePath("Page 001.png").toStdString();
  const std::string second = QDir(folder.path()).filePath("Page 002.png").toStdString();
  RenderPage(first, "Renewal", EnglishParagraphs(), Qt::white);
  RenderPage(second, "Balance", EnglishParagraphs(), Qt::white);
  RecognitionPool pool({RecognitionDataFolder(), "eng", 2, 300000, 300});
  EXPECT_EQ(pool.EnginesAlive(), 0);

  // One page loads one engine, however many the pool may run.
  const PageTextResult alone = pool.TextOf(first);
  ASSERT_TRUE(alone.recognized) << alone.failure;
  EXPECT_EQ(pool.EnginesAlive(), 1);
  ASSERT_TRUE(EndsWithin(pool, std::chrono::seconds(20)));

  // After the idle end, pages are read as before.
  pool.Forget({first});
  pool.Prepare({first, second});
  EXPECT_LE(pool.EnginesAlive(), 2);
  for (const std::string& page : {first, second}) {
    const PageTextResult again = pool.TextOf(page);
    ASSERT_TRUE(again.recognized) << again.failure;
    EXPECT_FALSE(again.text.words.empty());
  }
  EXPECT_TRUE(EndsWithin(pool, std::chrono::seconds(20)));
}

// A page read upright with confidence keeps its reading; one upside down is
// read with little, so the orientation model turns it and it is read again.
TEST(RecognitionPoolTest, UpsideDownPageIsTurnedAndReadAgain) {
  QTemporaryDir folder;
  const QString upright = QDir(folder.path()).filePath("Page 001.png");
  const QString upsideDown = QDir(folder.path()).filePath("Page 002.png");
  RenderPage(upright.toStdString(), "Renewal", EnglishParagraphs(), Qt::white);
  QImage image(upright);
  ASSERT_TRUE(image.transformed(QTransform().rotate(180)).save(upsideDown));
  RecognitionPool pool({RecognitionDataFolder(), "eng", 2, 300000});

  for (const auto& [page, turn] : {std::pair{upright, 0}, std::pair{upsideDown, 180}}) {
    const PageTextResult read = pool.TextOf(page.toStdString());
    ASSERT_TRUE(read.recognized) << read.failure;
    EXPECT_EQ(read.text.clockwiseTurn, turn) << page.toStdString();
    QStringList words;
    for (const RecognizedWord& word : read.text.words)
      words << QString::fromStdString(word.text);
    EXPECT_TRUE(Comparable(words.join(' ')).contains("Renewal")) << page.toStdString();
  }
}

// Each half-size pixel is the mean of its four, rounded; an odd last row and
// column are dropped, and a page one pixel wide or high still has a row.
TEST(GreyPageTest, HalvedPageAveragesFourPixels) {
  struct Case {
    int width, height, halfWidth, halfHeight;
  };
  for (const Case c : {Case{4, 2, 2, 1}, Case{5, 3, 2, 1}, Case{1, 1, 1, 1}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    Bitmap grey;
    ASSERT_TRUE(IsOk(Bitmap::Create(c.width, c.height, PixelFormat::Indexed8, grey)));
    grey.SetPalette(GreyPalette(256));
    grey.SetResolution(300, 300);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        grey.Row(y)[x] = static_cast<std::uint8_t>(10 * x + 100 * y + 1);
    Bitmap half;
    ASSERT_TRUE(IsOk(HalveGrey(grey, half)));
    ASSERT_EQ(half.Width(), c.halfWidth);
    ASSERT_EQ(half.Height(), c.halfHeight);
    EXPECT_EQ(half.DpiX(), 150);
    if (c.width >= 2 && c.height >= 2) {
      EXPECT_EQ(half.Row(0)[0], (1 + 11 + 101 + 111 + 2) / 4);
      EXPECT_EQ(half.Row(0)[1], (21 + 31 + 121 + 131 + 2) / 4);
    } else {
      EXPECT_EQ(half.Row(0)[0], 1);
    }
  }
}

}  // namespace
