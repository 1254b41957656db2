// Convert to PDF with recognition: the archive command as the tree starts it,
// with the recognition settings as the user stored them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "ScriptedPrompt.h"
#include "TextPages.h"
#include "ocr/RecognitionLanguages.h"
#include "scan/WindowSeams.h"
#include "settings/AppSettings.h"
#include "workflow/ArchiveCommands.h"
#include "writers/ImageWriter.h"

namespace {

using namespace text_pages;

class ConvertSearchableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings settings;
    settings.SetMakePdfSearchable(true);
    settings.SetRecognitionLanguage("eng");
  }
  void TearDown() override { unsetenv("TESSDATA_PREFIX"); }

  std::string Path(const char* name) const {
    return QDir(folder_.path()).filePath(name).toStdString();
  }
  // A two-page TIFF of known text, as a scanner program might have left it.
  std::string MakeTiff() {
    RenderPage(Path("one.png"), "Renewal", EnglishParagraphs().mid(0, 1), Qt::white);
    second_ = RenderPage(Path("two.png"), "Premium", EnglishParagraphs().mid(1), Qt::white);
    ImageWriter tiff(FileFormatType::Tiff);
    EXPECT_EQ(
        tiff.Save({Path("one.png"), Path("two.png")}, Path("letter.tif"), kA4Width, kA4Height),
        S_OK);
    return Path("letter.tif");
  }
  void Convert(const std::string& source) {
    WindowPrompter prompter(nullptr);
    ArchiveCommands::Seams seams = WindowArchiveSeams(nullptr, prompter);
    seams.trash = [](const std::string&) { return true; };
    ArchiveCommands commands(std::move(seams));
    commands.ConvertToPdf(true, source, ViewingChoices{false, false});
  }

  QTemporaryDir folder_;
  PrintedPage second_;
};

TEST_F(ConvertSearchableTest, ConvertedPagesAreSearchable) {
  const std::string source = MakeTiff();
  ScriptedPrompt prompt({PromptAnswer::No});

  Convert(source);

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].id, PromptId::DeleteOriginal);
  EXPECT_TRUE(Comparable(PdfPageText(Path("letter.pdf"), 1)).contains("Renewal"));
  const QStringList found = Comparable(PdfPageText(Path("letter.pdf"), 2));
  EXPECT_GE(InOrderShare(second_.words, found), 0.95) << found.join(' ').toStdString();
}

// The language's data went missing after it was chosen: the document is still
// written, without text, and the user is told why and what to do.
TEST_F(ConvertSearchableTest, MissingLanguageDataGivesANoticeAndAPdfWithoutText) {
  const std::string source = MakeTiff();
  QTemporaryDir data;
  ASSERT_TRUE(QFile::link(QString::fromStdString(RecognitionDataFolder() + "osd.traineddata"),
                          data.filePath("osd.traineddata")));
  setenv("TESSDATA_PREFIX", data.path().toLocal8Bit().constData(), 1);
  ScriptedPrompt prompt({PromptAnswer::Ok, PromptAnswer::No});

  Convert(source);

  ASSERT_EQ(prompt.asked.size(), 2);
  EXPECT_EQ(prompt.asked[0].id, PromptId::SavedWithoutText);
  // Why, in the notice's detail: the command line words its own advice around it.
  const QString why = prompt.asked[0].detail;
  EXPECT_TRUE(why.startsWith("the recognition language \"eng\" is not installed"))
      << why.toStdString();
  EXPECT_TRUE(why.contains(data.filePath("eng.traineddata")));
  EXPECT_EQ(prompt.asked[1].id, PromptId::DeleteOriginal);
  ASSERT_TRUE(QFile::exists(QString::fromStdString(Path("letter.pdf"))));
  EXPECT_TRUE(Comparable(PdfPageText(Path("letter.pdf"), 1)).isEmpty());
  EXPECT_TRUE(Comparable(PdfPageText(Path("letter.pdf"), 2)).isEmpty());
}

}  // namespace
