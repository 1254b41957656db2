// The scan command's page clean-up over SANE's test backend: white pages are
// blank, black ones are not.
#include <QDir>
#include <QFileInfo>

#include "CommandLineFixture.h"
#include "TestFiles.h"

namespace {

class CommandLineCleanupTest : public CommandLineFixture {
 protected:
  CommandRun Scan(const QStringList& options, const QStringList& feed = {"--feeder"}) const {
    return Run(QStringList{"scan", QString::fromStdString(Archive()), "--resolution", "50"} + feed +
               options);
  }
};

// A page set aside still counts as a scan: two flatbed scans of a blank
// sheet end after two, with no terminal to wait on.
TEST_F(CommandLineCleanupTest, BlankPagesAreSetAsideWhereStandardErrorSays) {
  const struct {
    QStringList feed;
    int pagesAside;
  } cases[] = {{{"--feeder"}, 10}, {{"--pages", "2"}, 2}};
  ConfigureSane("test-picture \"Solid white\"\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.feed.join(' ').toStdString());
    const CommandRun run = Scan({"--format", "png", "--name", "Backs", "--skip-blank"}, c.feed);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());  // no document was written
    const QString aside = ArchivePath("Backs (blank pages)/");
    EXPECT_TRUE(run.err.contains(aside.toUtf8())) << run.err.toStdString();
    EXPECT_EQ(QDir(aside).entryList(QDir::Files).size(), c.pagesAside);
    EXPECT_FALSE(QFileInfo::exists(ArchivePath("Backs")));
    QDir(aside).removeRecursively();
  }
}

TEST_F(CommandLineCleanupTest, PagesWithContentAreAllKeptAndNoSkipBlankKeepsBlankOnes) {
  const CommandRun dark = Scan({"--format", "pdf", "--name", "Dark", "--skip-blank", "--deskew"});
  ASSERT_EQ(dark.exitCode, 0) << dark.err.toStdString();
  EXPECT_EQ(PdfPageCount(ArchivePath("Dark.pdf").toStdString()), 10);
  EXPECT_FALSE(QFileInfo::exists(ArchivePath("Dark (blank pages)")));

  ConfigureSane("test-picture \"Solid white\"\n");
  const CommandRun white = Scan({"--format", "pdf", "--name", "White", "--no-skip-blank"});
  ASSERT_EQ(white.exitCode, 0) << white.err.toStdString();
  EXPECT_EQ(PdfPageCount(ArchivePath("White.pdf").toStdString()), 10);
}

}  // namespace
