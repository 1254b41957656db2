// Mending PDF and TIFF documents on disk: the pages end up in the planned
// order, turned, their image bytes untouched, and a failed mend leaves the
// document as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>

#include "FileSizeLimit.h"
#include "MendDocuments.h"
#include "TestFiles.h"
#include "core/Paths.h"
#include "mend/DocumentMend.h"
#include "mend/ReplacementFile.h"
#include "mend/TiffPages.h"

namespace {

// A page expected in a result: its number in the source and its quarter turns in all.
struct Expected {
  int page;
  int quarterTurns = 0;
};

struct Kind {
  const char* extension;
  std::function<void(const std::string&, int, const std::vector<int>&)> make;
  std::function<std::vector<PageFacts>(const std::string&)> read;
  std::vector<int> ownRotations;  // page 2 comes turned by 90 degrees
  int ownQuarterTurns(int page) const { return page == 2 ? 1 : 0; }
  int Rotation(const Expected& expected) const {
    if (std::string(extension) == ".pdf")
      return 90 * expected.quarterTurns;
    const bool tagged =
        expected.page == 2 || expected.quarterTurns != ownQuarterTurns(expected.page);
    return tagged ? TurnedOrientation(1, expected.quarterTurns) : 0;
  }
};

const Kind kKinds[] = {
    {".pdf", MakePdf, ReadPdfPages, {0, 90}},
    {".tif", MakeTiff, ReadTiffPages, {0, 6}},
};

class MendTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const {
    return folder_.filePath(QString::fromStdString(name)).toStdString();
  }

  void ExpectPages(const Kind& kind, const std::string& path, const std::vector<PageFacts>& source,
                   const std::vector<Expected>& expected) {
    SCOPED_TRACE(path);
    const std::vector<PageFacts> pages = kind.read(path);
    ASSERT_EQ(pages.size(), expected.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(pages[i].marker, expected[i].page);
      EXPECT_EQ(pages[i].rotation, kind.Rotation(expected[i]));
      EXPECT_EQ(pages[i].rawImage, source[static_cast<std::size_t>(expected[i].page - 1)].rawImage);
    }
  }

  QTemporaryDir folder_;
};

TEST_F(MendTest, PagesGoWhereThePlanSaysWithTheirBytesUntouched) {
  const struct {
    const char* name;
    PageChanges changes;
    std::vector<Expected> kept, rest, removed;
  } cases[] = {
      {"turn", {{{1, 90}, {2, 180}}, {}, {}, 0}, {{1, 1}, {2, 3}, {3}, {4}}, {}, {}},
      {"remove", {{}, {2}, {}, 0}, {{1}, {3}, {4}}, {}, {{2, 1}}},
      {"move", {{}, {}, {{1, 4}}, 0}, {{2, 1}, {3}, {4}, {1}}, {}, {}},
      {"remove and move", {{}, {2}, {{4, 1}}, 0}, {{4}, {1}, {3}}, {}, {{2, 1}}},
      {"split", {{}, {}, {}, 2}, {{1}, {2, 1}}, {{3}, {4}}, {}},
      {"all", {{{3, -90}}, {1}, {{4, 1}}, 1}, {{4}}, {{2, 1}, {3, 3}}, {{1}}},
  };
  for (const Kind& kind : kKinds) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + kind.extension);
      const std::string document = Path(std::string(c.name) + kind.extension);
      const std::string rest = Path(std::string(c.name) + " rest" + kind.extension);
      kind.make(document, 4, kind.ownRotations);
      const std::vector<PageFacts> source = kind.read(document);
      const MendOutcome outcome = MendPages(PagesRequest{document, c.changes, "", rest});
      ASSERT_EQ(outcome.status, MendOutcome::Status::Done) << outcome.message;
      ASSERT_FALSE(outcome.written.empty());
      EXPECT_EQ(outcome.written.front(), document);
      ExpectPages(kind, document, source, c.kept);
      EXPECT_EQ(FileExists(rest), !c.rest.empty());
      if (!c.rest.empty())
        ExpectPages(kind, rest, source, c.rest);
      const std::string removed = RemovedPagesFolder(document) + "/Removed pages" + kind.extension;
      EXPECT_EQ(FileExists(removed), !c.removed.empty());
      if (!c.removed.empty())
        ExpectPages(kind, removed, source, c.removed);
    }
    // A mend into a new file leaves the document whole and sets nothing aside.
    const std::string document = Path(std::string("source") + kind.extension);
    kind.make(document, 3, {});
    const std::string before = ReadFileBytes(document);
    const std::string output = Path(std::string("output") + kind.extension);
    PagesRequest request{document, {{}, {1}, {}, 0}, output, ""};
    EXPECT_EQ(MendPages(request).status, MendOutcome::Status::Done);
    EXPECT_EQ(ReadFileBytes(document), before);
    EXPECT_EQ(kind.read(output).size(), 2u);
    EXPECT_FALSE(FileExists(RemovedPagesFolder(document)));
  }
}

TEST_F(MendTest, JoinedDocumentsKeepTheirPagesInTheOrderGiven) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.extension);
    const std::string first = Path(std::string("first") + kind.extension);
    const std::string second = Path(std::string("second") + kind.extension);
    kind.make(first, 2, kind.ownRotations);
    kind.make(second, 3, {});
    const std::string joined = Path(std::string("joined") + kind.extension);
    const MendOutcome outcome = JoinDocuments({second, first}, joined);
    ASSERT_EQ(outcome.status, MendOutcome::Status::Done) << outcome.message;
    std::vector<PageFacts> sources = kind.read(second);
    for (const PageFacts& page : kind.read(first))
      sources.push_back(page);
    const std::vector<PageFacts> pages = kind.read(joined);
    ASSERT_EQ(pages.size(), 5u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
      EXPECT_EQ(pages[i].marker, sources[i].marker);
      EXPECT_EQ(pages[i].rawImage, sources[i].rawImage);
    }
    EXPECT_EQ(JoinDocuments({first, Path("other.png")}, Path("x") + kind.extension).status,
              MendOutcome::Status::BadRequest);
  }
}

// However the writing fails, the document stays as it was and no partial file is left.
TEST_F(MendTest, AFailedMendLeavesTheDocumentAsItWas) {
  const std::function<std::unique_ptr<FileSizeLimit>()> faults[] = {
      [] {
        FailNextReplacementForTesting(EIO);
        return nullptr;
      },
      [] { return std::make_unique<FileSizeLimit>(300); },
  };
  for (const Kind& kind : kKinds) {
    for (const auto& fault : faults) {
      SCOPED_TRACE(std::string(kind.extension) + " fault " + std::to_string(&fault - faults));
      const std::string document = Path(std::string("document") + kind.extension);
      kind.make(document, 4, {});
      const std::string before = ReadFileBytes(document);
      MendOutcome outcome;
      {
        const auto active = fault();
        outcome = MendPages(PagesRequest{document, {{{1, 90}}, {2}, {{3, 1}}, 0}, "", ""});
      }
      FailNextReplacementForTesting(0);
      EXPECT_EQ(outcome.status, MendOutcome::Status::Failed);
      EXPECT_FALSE(outcome.message.empty());
      EXPECT_EQ(ReadFileBytes(document), before);
      EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden),
                QStringList{QString::fromStdString(PathFileName(document))});
      QDir(QString::fromStdString(RemovedPagesFolder(document))).removeRecursively();
      QFile::remove(QString::fromStdString(document));
    }
  }
}

}  // namespace
