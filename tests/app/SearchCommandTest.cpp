// "docketeer search" through the built program over an archive the test makes.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QSettings>
#include <filesystem>
#include <fstream>

#include "CommandLineFixture.h"
#include "SearchableDocuments.h"
#include "TextPages.h"

namespace fs = std::filesystem;

namespace {

class SearchCommandTest : public CommandLineFixture {
 protected:
  void SetUp() override {
    CommandLineFixture::SetUp();
    const QString home = root_.filePath("home");
    cache_ = home + "/.cache";
    environment_.insert("XDG_CACHE_HOME", cache_);
    QSettings settings(home + "/.config/Ferncastle/Docketeer.conf", QSettings::IniFormat);
    settings.setValue("Settings/ArchiveRootFolder", QString::fromStdString(Archive()));
    settings.setValue("Settings/RecognitionLanguage", "eng");
  }

  std::string Pdf(const std::string& relative, const std::vector<std::string>& pages) {
    const std::string path = Archive() + relative;
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_TRUE(WriteSearchablePdf(path, pages)) << relative;
    return path;
  }

  // The lines of a search: path and page of each hit.
  std::vector<std::pair<std::string, int>> Hits(const CommandRun& run) const {
    std::vector<std::pair<std::string, int>> hits;
    for (const QByteArray& line : run.out.split('\n')) {
      const QList<QByteArray> fields = line.split('\t');
      if (fields.size() == 3)
        hits.emplace_back(fields[0].toStdString(), fields[1].toInt());
    }
    return hits;
  }

  QString cache_;
};

TEST_F(SearchCommandTest, FindsPagesAndFollowsTheArchiveBetweenRuns) {
  const std::string roof =
      Pdf("Insurance/Roof 2026-03-14.pdf", {"quote for the roof", "insurer Müller pays"});
  const std::string check = Pdf("Bank/Check 1042.pdf", {"pay to the order of the roofer"});
  const std::string statement = Pdf("Bank/Month Ending 2026-11-30.pdf", {"balance"});
  fs::create_directories(Archive() + "Scans");
  ASSERT_TRUE(WriteImageDocument(Archive() + "Scans/Receipt.tif"));

  using Hits_ = std::vector<std::pair<std::string, int>>;
  const struct {
    QStringList arguments;
    int exitCode;
    Hits_ hits;
  } cases[] = {
      {{"muller"}, 0, {{roof, 2}}},
      {{"\"insurer muller\""}, 0, {{roof, 2}}},
      {{"roof*", "--folder", "Bank"}, 0, {{check, 1}}},
      {{"receipt"}, 0, {{Archive() + "Scans/Receipt.tif", 1}}},
      {{"--since", "2026-11", "--until", "2026-11-30", "--folder", "Bank"}, 0, {{statement, 1}}},
      {{"balance", "--until", "2026-10"}, 1, {}},
      {{"zebra"}, 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CommandRun run = Run(QStringList{"search"} + c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
    EXPECT_EQ(Hits(run), c.hits);
  }

  // While the program is closed: one renamed, one deleted, then the index damaged.
  fs::rename(check, Archive() + "Bank/Check 1043.pdf");
  fs::remove(roof);
  EXPECT_EQ(Run({"search", "muller"}).exitCode, 1);
  EXPECT_EQ(Hits(Run({"search", "roofer"})), (Hits_{{Archive() + "Bank/Check 1043.pdf", 1}}));
  for (const auto& entry : fs::recursive_directory_iterator(cache_.toStdString()))
    if (entry.is_regular_file())
      std::ofstream(entry.path(), std::ios::trunc) << "damaged";
  const CommandRun afterDamage = Run({"search", "roofer"});
  EXPECT_EQ(afterDamage.exitCode, 0);
  EXPECT_TRUE(afterDamage.err.isEmpty()) << afterDamage.err.toStdString();
  EXPECT_EQ(Hits(afterDamage).size(), 1u);
  // The index lives in the cache, never in the archive.
  for (const auto& entry : fs::recursive_directory_iterator(Archive()))
    EXPECT_EQ(entry.path().string().find("archive-"), std::string::npos) << entry.path();
}

TEST_F(SearchCommandTest, ExitStatusesLimitsAndNamesOfAnyBytes) {
  Pdf("Letters/A.pdf", {"invoice"});
  Pdf("Letters/B.pdf", {"invoice", "invoice again"});
  const std::string odd = Pdf("Letters/C\nD.pdf", {"invoice"});
  const QString outside = root_.path();  // holds the archive, is not in it
  const struct {
    QStringList arguments;
    int exitCode;
    std::size_t hits;
    bool saysMore;  // on standard error
  } cases[] = {
      {{"invoice"}, 0, 3, false},
      {{"invoice", "--limit", "2"}, 0, 2, true},
      {{"invoice", "--limit=3"}, 0, 3, false},
      {{"zebra"}, 1, 0, false},
      {{"invoice", "--folder", "Nope"}, 2, 0, true},
      {{"invoice", "--folder", outside}, 2, 0, true},
      {{"invoice", "--folder", "../home"}, 2, 0, true},
      {{"invoice", "--limit", "0"}, 2, 0, true},
      {{"invoice", "--bogus"}, 2, 0, true},
      {{}, 2, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CommandRun run = Run(QStringList{"search"} + c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
    EXPECT_EQ(Hits(run).size(), c.hits);
    EXPECT_EQ(!run.err.isEmpty(), c.saysMore) << run.err.toStdString();
  }
  // A line feed in a name: one line, quoted; with --null the name as it is.
  const CommandRun lines = Run({"search", "invoice", "--folder", "Letters"});
  EXPECT_EQ(lines.out.count('\n'), 3);
  EXPECT_TRUE(
      lines.out.contains("$'" + QByteArray::fromStdString(Archive()) + "Letters/C\\nD.pdf'"));
  const CommandRun nulls = Run({"search", "invoice", "--null"});
  const QList<QByteArray> fields = nulls.out.split('\0');
  ASSERT_EQ(fields.size(), 10);  // 3 hits of 3 fields, then what follows the last NUL
  EXPECT_TRUE(fields.contains(QByteArray::fromStdString(odd)));
}

TEST_F(SearchCommandTest, AnIndexHeldByAnotherProcessIsSearchedAsItIs) {
  const std::string kept = Pdf("Bank/Kept.pdf", {"ledger"});
  const std::string gone = Pdf("Bank/Gone.pdf", {"ledger"});
  ASSERT_EQ(Hits(Run({"search", "ledger"})).size(), 2u);
  std::string lockFile;
  for (const auto& entry : fs::recursive_directory_iterator(cache_.toStdString()))
    if (entry.path().filename() == "lock")
      lockFile = entry.path().string();
  const int lock = ::open(lockFile.c_str(), O_RDWR);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  fs::remove(gone);
  const CommandRun run = Run({"search", "ledger"});
  ::close(lock);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.err.isEmpty());  // says the index may be out of date
  EXPECT_EQ(Hits(run), (std::vector<std::pair<std::string, int>>{{kept, 1}}));
}

TEST_F(SearchCommandTest, IndexRecognisesWaitingPictures) {
  fs::create_directories(Archive() + "Scans");
  text_pages::RenderPage(Archive() + "Scans/Note.png", "Quarterly",
                         text_pages::EnglishParagraphs().mid(0, 1), Qt::white);
  EXPECT_EQ(Run({"search", "quarterly"}).exitCode, 1);
  const CommandRun index = Run({"index", "--recognise"});
  EXPECT_EQ(index.exitCode, 0) << index.err.toStdString();
  const CommandRun found = Run({"search", "quarterly"});
  EXPECT_EQ(found.exitCode, 0) << found.err.toStdString();
  EXPECT_EQ(Hits(found).size(), 1u);
  EXPECT_EQ(Run({"index", "extra"}).exitCode, 1);
}

}  // namespace
