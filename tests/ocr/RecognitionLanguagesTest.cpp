#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ocr/RecognitionLanguages.h"
#include "settings/AppSettings.h"

namespace {

TEST(RecognitionLanguagesTest, LocaleNamesTheEnginesLanguageCode) {
  struct Case {
    const char* locale;
    const char* code;
  };
  for (const Case& c :
       {Case{"de_DE.UTF-8", "deu"}, Case{"fr_CA", "fra"}, Case{"en_GB", "eng"},
        Case{"cs_CZ", "ces"}, Case{"nl_BE@euro", "nld"}, Case{"zh_CN.UTF-8", "chi_sim"},
        Case{"zh_TW", "chi_tra"}, Case{"C", ""}, Case{"POSIX", ""}, Case{"", ""}}) {
    EXPECT_EQ(RecognitionLanguageOfLocale(c.locale), c.code) << c.locale;
  }
}

TEST(RecognitionLanguagesTest, DefaultIsTheLocalesLanguageWhenInstalledElseEnglish) {
  EXPECT_EQ(DefaultRecognitionLanguage({"deu", "eng"}, "de_AT"), "deu");
  EXPECT_EQ(DefaultRecognitionLanguage({"eng"}, "de_AT"), "eng");
  EXPECT_EQ(DefaultRecognitionLanguage({}, "C"), "eng");
}

// Only Latin letters' ascenders tell up from down; any language of another
// script, or one the code does not place, sends the page to the engine.
TEST(RecognitionLanguagesTest, WrittenInLatinOnlyWhenEveryLanguageIs) {
  for (const char* latin : {"eng", "deu+eng", "fra+ita+spa", "srp_latn", "pol"})
    EXPECT_TRUE(WrittenInLatin(latin)) << latin;
  for (const char* other :
       {"rus", "ell", "eng+rus", "chi_sim", "srp", "deu_latf", "frk", "", "+", "xyz"})
    EXPECT_FALSE(WrittenInLatin(other)) << other;
}

TEST(RecognitionLanguagesTest, InstalledLanguagesAreTheDataFilesButOrientationAndEquations) {
  QTemporaryDir folder;
  for (const char* name : {"osd.traineddata", "equ.traineddata", "fra.traineddata",
                           "deu.traineddata", "notes.txt", ".traineddata"})
    QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
  QDir(folder.path()).mkdir("eng.traineddata");
  const auto languages = InstalledRecognitionLanguages(folder.path().toStdString() + "/");
  EXPECT_EQ(languages, (std::vector<std::string>{"deu", "fra"}));
  EXPECT_TRUE(InstalledRecognitionLanguages("/nonexistent/folder/").empty());
}

TEST(RecognitionLanguagesTest, StoredLanguageMustBePlainCodes) {
  AppSettings settings;
  const std::string fallback = settings.GetRecognitionLanguage();
  for (const char* bad : {"../../etc/passwd", "eng deu", "eng/", "+eng", ""}) {
    settings.SetRecognitionLanguage(bad);
    EXPECT_EQ(settings.GetRecognitionLanguage(), fallback) << bad;
  }
  for (const char* good : {"deu", "chi_sim", "eng+deu", "xyz"}) {
    settings.SetRecognitionLanguage(good);
    EXPECT_EQ(settings.GetRecognitionLanguage(), good);
  }
}

}  // namespace
