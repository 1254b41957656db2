// "docketeer search" through the built program over an archive the test makes.
#include <QDir>
#include <QSettings>
#include <filesystem>
#include <fstream>

#include "CommandLineFixture.h"
#include "SearchableDocuments.h"

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

}  // namespace
