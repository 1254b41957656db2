#include <QDir>
#include <QFile>
#include <QTest>

#include "TestFiles.h"
#include "WorkflowFixture.h"
#include "platform/imaging/ImageFile.h"
#include "scan/ScanNextPageDlg.h"

namespace {

class ScanWorkflowTest : public WorkflowFixture {};

// A disk that takes nothing.
class FailingWriter : public IDocumentWriter {
 public:
  ResultCode Save(const std::vector<std::string>&, const std::string&, int, int) override {
    return E_FAIL;
  }
  ResultCode Save(PageImageHandle, const std::string&, int, bool) override { return E_FAIL; }
  ResultCode Expand(const std::string&, const std::string&, const std::string&,
                    std::vector<std::string>&, PageSize&) override {
    return E_FAIL;
  }
  std::string GetErrorText() const override { return "no room"; }
};

// One document through the page loop, from the scan command to the files it
// leaves: a row per way a document can end.
struct Flow {
  const char* name;
  int format;
  bool multiPage;
  std::vector<int> pagesPerScan;
  std::vector<int> choices;
  QList<PromptAnswer> answers;
  std::vector<std::string> present;
  std::vector<std::string> absent;
  int finished;
  std::vector<int> offeredPages;
  // The documents the host hears of as they are completed.
  std::vector<std::string> saved;
};

const Flow kFlows[] = {
    {"single JPEG", 1, false, {1}, {}, {}, {"Doc.jpg"}, {"Doc"}, 1, {}, {"Doc.jpg"}},
    {"single PDF", 6, false, {1}, {}, {}, {"Doc.pdf"}, {"Doc"}, 1, {}, {"Doc.pdf"}},
    {"single PNG PDF", 7, false, {1}, {}, {}, {"Doc.pdf"}, {"Doc"}, 1, {}, {"Doc.pdf"}},
    {"three JPEG pages",
     1,
     true,
     {1, 1, 1},
     {0, 0, 3},
     {},
     {"Doc/Page 001.jpg", "Doc/Page 002.jpg", "Doc/Page 003.jpg"},
     {"Doc.jpg"},
     1,
     {2, 3, 4},
     {"Doc/Page 001.jpg", "Doc/Page 002.jpg", "Doc/Page 003.jpg"}},
    {"three PDF pages",
     6,
     true,
     {1, 1, 1},
     {0, 0, 3},
     {},
     {"Doc.pdf"},
     {"Doc"},
     1,
     {2, 3, 4},
     {"Doc.pdf"}},
    {"rescan into TIFF",
     3,
     true,
     {1, 1, 1},
     {0, 1, 3},
     {PromptAnswer::Yes},
     {"Doc.tif"},
     {"Doc"},
     1,
     {2, 3, 3},
     {"Doc.tif"}},
    {"feeder into PDF", 6, true, {3}, {3}, {}, {"Doc.pdf"}, {"Doc"}, 1, {4}, {"Doc.pdf"}},
    {"cancel and delete",
     5,
     true,
     {1, 1},
     {0, 2},
     {PromptAnswer::Yes},
     {},
     {"Doc"},
     0,
     {2, 3},
     {"Doc/Page 001.png", "Doc/Page 002.png"}},
    {"cancel and keep",
     5,
     true,
     {1, 1},
     {0, 2},
     {PromptAnswer::No},
     {"Doc/Page 001.png", "Doc/Page 002.png"},
     {},
     0,
     {2, 3},
     {"Doc/Page 001.png", "Doc/Page 002.png"}},
    {"done in GIF",
     2,
     true,
     {2},
     {3},
     {},
     {"Doc/Page 001.gif", "Doc/Page 002.gif"},
     {},
     1,
     {3},
     {"Doc/Page 001.gif", "Doc/Page 002.gif"}},
};

TEST_F(ScanWorkflowTest, EachWayADocumentEndsLeavesItsFiles) {
  for (const Flow& flow : kFlows) {
    SCOPED_TRACE(flow.name);
    QDir(root_.path()).removeRecursively();
    QDir().mkpath(root_.path());
    source_.pages.clear();
    source_.scans.clear();
    ScriptScans(flow.pagesPerScan);
    nextPageChoices_.assign(flow.choices.begin(), flow.choices.end());
    nextPageNumbers_.clear();
    Answer(flow.answers);
    host_ = FakeHost{};
    host_.choices.destinationFolder = Folder();
    host_.choices.fileFormatType = static_cast<FileFormatType>(flow.format);
    host_.choices.isMultiPageDocument = flow.multiPage;
    host_.choices.documentSize = DocumentSize("Letter", 8500, 11000);
    host_.choices.resolution = 100;
    Build();

    Click();
    Settle();

    EXPECT_FALSE(workflow_->IsScanning());
    for (const std::string& file : flow.present)
      EXPECT_TRUE(Exists(file)) << file;
    for (const std::string& file : flow.absent)
      EXPECT_FALSE(Exists(file)) << file;
    EXPECT_EQ(host_.saveSettingsCalls, flow.finished);
    EXPECT_EQ(host_.saveFolderPreferencesCalls, flow.finished);
    EXPECT_EQ(nextPageNumbers_, flow.offeredPages);
    EXPECT_TRUE(source_.pages.empty());
    std::vector<std::string> saved;
    for (const auto& [path, pageTexts] : host_.saved)
      saved.push_back(path.substr(Folder().size()));
    EXPECT_EQ(saved, flow.saved);
  }
}

TEST_F(ScanWorkflowTest, CombinedDocumentsHoldEveryPageOnce) {
  struct Combined {
    int format;
    std::vector<int> pagesPerScan;
    std::vector<int> choices;
    QList<PromptAnswer> answers;
    std::string file;
    int pages;
  };
  const Combined cases[] = {
      {3, {1, 1, 1}, {0, 1, 3}, {PromptAnswer::Yes}, "Doc.tif", 2},
      {4, {2, 1}, {0, 3}, {}, "Doc.tif", 3},
      {6, {1, 1, 1}, {0, 0, 3}, {}, "Doc.pdf", 3},
      {7, {10}, {3}, {}, "Doc.pdf", 10},
  };
  for (const Combined& c : cases) {
    SCOPED_TRACE(c.file + " format " + std::to_string(c.format));
    QDir(root_.path()).removeRecursively();
    QDir().mkpath(root_.path());
    ScriptScans(c.pagesPerScan);
    nextPageChoices_.assign(c.choices.begin(), c.choices.end());
    Answer(c.answers);
    host_.choices.fileFormatType = static_cast<FileFormatType>(c.format);
    host_.choices.isMultiPageDocument = true;
    Build();
    Click();
    const int pages =
        c.format >= 6 ? PdfPageCount(PathOf(c.file)) : ImageFrameCount(PathOf(c.file));
    EXPECT_EQ(pages, c.pages);
    EXPECT_FALSE(Exists("Doc"));
  }
}

TEST_F(ScanWorkflowTest, TheScanCommandStopsAtTheFirstFailedCheck) {
  const DocumentSize letter("Letter", 8500, 11000);
  const ScanAreaSize a4Glass{8268, 11693};
  struct Check {
    bool selected;
    bool sourceSelected;
    std::string name;
    PromptId message;
    std::vector<bool> focus;
    DocumentSize size;
    std::optional<ScanAreaSize> glass;
  };
  const Check checks[] = {
      {false, true, "Doc", PromptId::NoDestinationSelected, {}, letter, {}},
      {true, false, "Doc", PromptId::NoScanners, {}, letter, {}},
      {true, true, "", PromptId::NoDestinationName, {false}, letter, {}},
      {true, true, "a:b", PromptId::IllegalCharacters, {false}, letter, {}},
      {true, true, "..", PromptId::DotName, {false}, letter, {}},
      {true, true, "Doc", PromptId::NoDocumentSize, {}, DocumentSize("None", 0, 0), {}},
      {true,
       true,
       "Doc",
       PromptId::LargerThanGlass,
       {},
       DocumentSize("Legal", 8500, 14000),
       a4Glass},
  };
  const ScanChoices base = host_.choices;
  for (const Check& check : checks) {
    SCOPED_TRACE(static_cast<int>(check.message));
    source_.selected = check.sourceSelected;
    Answer();
    host_ = FakeHost{};
    host_.selected = check.selected;
    host_.nameText = check.name;
    host_.choices = base;
    host_.choices.documentSize = check.size;
    host_.glass = check.glass;
    Build();
    source_.requests.clear();
    workflow_->OnScanClicked();
    EXPECT_EQ(Asked(), QList{check.message});
    EXPECT_EQ(host_.focus, check.focus);
    EXPECT_EQ(host_.selectSourceCalls, check.sourceSelected ? 0 : 1);
    EXPECT_TRUE(source_.requests.empty());
    EXPECT_FALSE(workflow_->IsScanning());
    EXPECT_FALSE(Exists("Doc.jpg"));  // nothing claimed
  }
}

TEST_F(ScanWorkflowTest, NamesInAnyScriptAreScannedUnderThatName) {
  ScriptScans({1});
  host_.nameText = "請求書 2024-03";
  Build();
  Click();
  EXPECT_TRUE(Asked().isEmpty());
  EXPECT_TRUE(Exists("請求書 2024-03.jpg"));
  EXPECT_EQ(host_.focus, std::vector<bool>{true});
}

TEST_F(ScanWorkflowTest, AnExistingDestinationIsAskedAboutBeforeScanningAndBeforeOverwriting) {
  ScriptScans({1});
  QFile(QString::fromStdString(PathOf("Doc.jpg"))).open(QIODevice::WriteOnly);
  Answer(QList{PromptAnswer::Yes, PromptAnswer::Yes});
  Build();
  Click();
  const QString path = QString::fromStdString(PathOf("Doc.jpg"));
  EXPECT_EQ(Asked(), (QList{PromptId::ReplaceDocument, PromptId::OverwritePage}));
  EXPECT_EQ(prompt_->asked[0].subject, path);
  EXPECT_EQ(prompt_->asked[1].subject, path);
  EXPECT_GT(QFileInfo(path).size(), 0);
  EXPECT_EQ(host_.saveSettingsCalls, 1);

  Answer(QList{PromptAnswer::No});
  source_.requests.clear();
  Click();
  EXPECT_TRUE(source_.requests.empty());
}

TEST_F(ScanWorkflowTest, ThePageSizeIsAskedForUnrotatedAndThePageIsSavedRotated) {
  ScriptScans({1});
  host_.choices.rotateNinety = true;
  host_.choices.fileFormatType = static_cast<FileFormatType>(5);
  Build();
  Click();
  ASSERT_EQ(source_.requests.size(), 1u);
  EXPECT_EQ(source_.requests.back().width, 8500);
  EXPECT_EQ(source_.requests.back().height, 11000);
  std::unique_ptr<ImageFile> file;
  ASSERT_TRUE(IsOk(ImageFile::Open(PathOf("Doc.png"), file)));
  EXPECT_EQ(file->Width(), 2);  // the fake's first page is 3 by 2
  EXPECT_EQ(file->Height(), 3);
}

TEST_F(ScanWorkflowTest, AFailedPageWriteIsReportedAndTheLoopGoesOn) {
  createWriter_ = [](FileFormatType) { return std::make_unique<FailingWriter>(); };
  ScriptScans({2});
  host_.choices.isMultiPageDocument = true;
  Answer();
  Build();
  Click();
  EXPECT_EQ(Asked(), (QList{PromptId::SaveFailed, PromptId::SaveFailed}));
  // The writer's own words come under the fixed text.
  EXPECT_EQ(prompt_->asked.front().detail, "no room");
  EXPECT_TRUE(workflow_->ScannedPages().empty());
  EXPECT_EQ(nextPageNumbers_, std::vector<int>{3});
}

TEST_F(ScanWorkflowTest, PagesDeliveredBeforeAScannerFailureAreKept) {
  // The source breaks down after the third page.
  source_.scans.push_back({3, FakeScanSource::Ending::Failed});
  host_.choices.isMultiPageDocument = true;
  Build();
  Click();
  EXPECT_EQ(Asked(), QList{PromptId::ScannerError});
  EXPECT_TRUE(Exists("Doc/Page 001.jpg"));
  EXPECT_TRUE(Exists("Doc/Page 003.jpg"));
  EXPECT_FALSE(Exists("Doc/Page 004.jpg"));
  EXPECT_EQ(host_.saveSettingsCalls, 0);
  EXPECT_FALSE(workflow_->IsScanning());
}

// Stop cancels through the source and asks nothing: the pages written stay in
// the document's folder, uncombined; the steps were told as they began.
TEST_F(ScanWorkflowTest, StopKeepsThePagesWrittenAndAsksNothing) {
  ScriptScans({1});  // the second page scan is not scripted: it holds the source
  host_.choices.isMultiPageDocument = true;
  host_.choices.fileFormatType = FileFormatType::PdfCompressed;
  nextPageChoices_ = {SCAN_NEXT_PAGE};
  Build();
  std::vector<std::pair<ScanStep, int>> steps;
  QObject::connect(workflow_.get(), &ScanWorkflow::stepStarted,
                   [&steps](ScanStep step, int page) { steps.emplace_back(step, page); });
  Click();
  ASSERT_TRUE(workflow_->IsScanning());
  EXPECT_FALSE(workflow_->IsStopping());

  EXPECT_TRUE(workflow_->Stop());
  EXPECT_TRUE(workflow_->IsStopping());
  EXPECT_FALSE(workflow_->Stop());  // once is enough
  Settle();

  EXPECT_EQ(source_.cancels, 1);
  EXPECT_FALSE(workflow_->IsScanning());
  EXPECT_TRUE(Asked().isEmpty());
  EXPECT_TRUE(Exists("Doc/Page 001.jpg"));
  EXPECT_FALSE(Exists("Doc.pdf"));
  EXPECT_EQ(steps, (std::vector<std::pair<ScanStep, int>>{
                       {ScanStep::Scanning, 1}, {ScanStep::Saving, 1}, {ScanStep::Scanning, 2}}));
  EXPECT_FALSE(workflow_->Stop());  // nothing left to stop
}

TEST_F(ScanWorkflowTest, ACancelledScanAsksOnlyWhenPagesWereSaved) {
  source_.scans.push_back({0, FakeScanSource::Ending::Cancelled});
  Build();
  Click();
  EXPECT_TRUE(Asked().isEmpty());
  EXPECT_FALSE(workflow_->IsScanning());

  ScriptScans({1});
  source_.scans.push_back({0, FakeScanSource::Ending::Cancelled});
  host_.choices.isMultiPageDocument = true;
  nextPageChoices_ = {SCAN_NEXT_PAGE};
  Answer(QList{PromptAnswer::Yes});
  Click();
  EXPECT_EQ(Asked(), QList{PromptId::DeletePageFiles});
  EXPECT_FALSE(Exists("Doc"));
  EXPECT_EQ(host_.saveSettingsCalls, 0);
}

// Deleting the temporary files of a document whose name matched a folder
// that was already there takes only the pages it wrote.
TEST_F(ScanWorkflowTest, CancellingInAnExistingFolderKeepsWhatWasThere) {
  QDir(root_.path()).mkdir("Doc");
  for (const char* name : {"Doc/_defaults.ini", "Doc/Letter.pdf"})
    QFile(QString::fromStdString(PathOf(name))).open(QIODevice::WriteOnly);
  ScriptScans({2});
  host_.choices.isMultiPageDocument = true;
  nextPageChoices_ = {CANCEL_SCAN};
  Answer(QList{PromptAnswer::Yes, PromptAnswer::Yes});
  Build();
  Click();
  EXPECT_FALSE(Exists("Doc/Page 001.jpg"));
  EXPECT_FALSE(Exists("Doc/Page 002.jpg"));
  EXPECT_TRUE(Exists("Doc/_defaults.ini"));
  EXPECT_TRUE(Exists("Doc/Letter.pdf"));
}

TEST_F(ScanWorkflowTest, ANewDocumentInTheSameFolderStopsAPendingRemoval) {
  ScriptScans({1});
  host_.choices.fileFormatType = static_cast<FileFormatType>(6);
  host_.choices.viewAfterSaving = true;
  // The viewer drops a file into the document folder, so it cannot go yet.
  seams_.viewFile = [this](const std::string&, bool) {
    QFile(QString::fromStdString(PathOf("Doc/stray"))).open(QIODevice::WriteOnly);
  };
  Build();
  workflow_->SetRemovalRetryInterval(60000);
  Click();
  ASSERT_TRUE(Exists("Doc.pdf"));
  ASSERT_TRUE(Exists("Doc/stray"));
  ASSERT_FALSE(Exists("Doc/Page 001.jpg"));

  // The next document goes into the same folder, which is empty while its
  // first page is being scanned: a late removal would take it away.
  QFile::remove(QString::fromStdString(PathOf("Doc/stray")));
  host_.choices.isMultiPageDocument = true;
  host_.choices.fileFormatType = static_cast<FileFormatType>(1);
  Answer({PromptAnswer::Yes});
  workflow_->OnScanClicked();
  ASSERT_TRUE(workflow_->IsScanning());
  workflow_->SetRemovalRetryInterval(10);
  QTest::qWait(300);
  EXPECT_TRUE(Exists("Doc"));
}

TEST_F(ScanWorkflowTest, AFolderThatEmptiesLaterIsRemovedByTheRetries) {
  ScriptScans({1});
  host_.choices.fileFormatType = static_cast<FileFormatType>(7);
  host_.choices.viewAfterSaving = true;
  seams_.viewFile = [this](const std::string&, bool) {
    QFile(QString::fromStdString(PathOf("Doc/stray"))).open(QIODevice::WriteOnly);
  };
  Build();
  workflow_->SetRemovalRetryInterval(50);
  Click();
  ASSERT_TRUE(Exists("Doc/stray"));
  QFile::remove(QString::fromStdString(PathOf("Doc/stray")));
  for (int round = 0; round < 100 && Exists("Doc"); ++round)
    QTest::qWait(20);
  EXPECT_FALSE(Exists("Doc"));
}

TEST_F(ScanWorkflowTest, ASecondScanCommandWaitsUntilTheSourceLetsGo) {
  Build();
  workflow_->OnScanClicked();
  Settle();
  ASSERT_TRUE(workflow_->IsScanning());
  source_.requests.clear();
  workflow_->OnScanClicked();
  EXPECT_EQ(Asked(), QList{PromptId::ScanInProgress});
  EXPECT_TRUE(source_.requests.empty());

  // The user closes the source's own window: nobody is told, and the next
  // scan command starts over.
  source_.CloseSourceWindow();
  Settle();
  ScriptScans({1});
  workflow_->OnScanClicked();
  Settle();
  EXPECT_EQ(source_.requests.size(), 1u);
  EXPECT_TRUE(Exists("Doc.jpg"));
}

TEST_F(ScanWorkflowTest, EveryPageIsViewedWhereTheUserSeesPageFiles) {
  host_.choices.viewAfterSaving = true;
  ScriptScans({2});
  host_.choices.isMultiPageDocument = true;
  host_.choices.fileFormatType = static_cast<FileFormatType>(6);
  Build();
  Click();
  EXPECT_EQ(viewed_, (std::vector<std::string>{PathOf("Doc/Page 001.jpg"),
                                               PathOf("Doc/Page 002.jpg"), PathOf("Doc.pdf")}));
  viewed_.clear();
  ScriptScans({1});
  host_.choices.isMultiPageDocument = false;
  host_.nameText = "Single";
  Click();
  EXPECT_EQ(viewed_, std::vector<std::string>{PathOf("Single.pdf")});
}

}  // namespace

namespace {

// Pages are saved as the manager offers them; the completion that arrives
// while a page is still being written waits for the rest of the batch.
TEST_F(ScanWorkflowTest, PagesOfferedOneByOneAreSavedBeforeTheScanCompletes) {
  ScriptScans({3});
  host_.choices.isMultiPageDocument = true;
  Build();
  workflow_->OnScanClicked();
  QMetaObject::invokeMethod(
      &source_, [this] { emit source_.pageReady(); }, Qt::QueuedConnection);
  Settle();
  EXPECT_EQ(workflow_->ScannedPages(),
            (std::vector<std::string>{PathOf("Doc/Page 001.jpg"), PathOf("Doc/Page 002.jpg"),
                                      PathOf("Doc/Page 003.jpg")}));
  EXPECT_EQ(nextPageNumbers_, std::vector<int>{4});
  EXPECT_TRUE(source_.TakeImages().empty());
  EXPECT_EQ(host_.saveSettingsCalls, 1);
}

}  // namespace

namespace {

using S = ScanState;
using Ending = FakeScanSource::Ending;

// What a follower of the workflow hears of scripted scans: one move for each
// handled notification that left another state, told once it is handled.
TEST_F(ScanWorkflowTest, FollowersHearTheStateEachNotificationLeavesBehind) {
  struct Row {
    const char* name;
    std::vector<FakeScanSource::Scan> scans;
    std::vector<int> choices;
    std::vector<std::pair<S, S>> moves;
    const char* document;  // on disk when the workflow is told idle
  } rows[] = {
      // The second page and the completion arrive while the first is written.
      {"Complete",
       {{2, Ending::Complete}},
       {},
       {{S::Idle, S::Scanning},
        {S::Scanning, S::Saving},
        {S::Saving, S::SavingThenComplete},
        {S::SavingThenComplete, S::Idle}},
       "Complete/Page 002.jpg"},
      // The page loop starts the next page scan inside the completion: no idle between.
      {"Next",
       {{1, Ending::Complete}, {1, Ending::Complete}},
       {SCAN_NEXT_PAGE},
       {{S::Idle, S::Scanning},
        {S::Scanning, S::SavingThenComplete},
        {S::SavingThenComplete, S::Scanning},
        {S::Scanning, S::SavingThenComplete},
        {S::SavingThenComplete, S::Idle}},
       "Next/Page 002.jpg"},
      {"Cancelled",
       {{0, Ending::Cancelled}},
       {},
       {{S::Idle, S::Scanning}, {S::Scanning, S::Idle}},
       nullptr},
      {"Failed",
       {{2, Ending::Failed}},
       {},
       {{S::Idle, S::Scanning},
        {S::Scanning, S::Saving},
        {S::Saving, S::SavingThenFailed},
        {S::SavingThenFailed, S::Idle}},
       "Failed/Page 002.jpg"},
  };
  host_.choices.isMultiPageDocument = true;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    source_.scans.assign(row.scans.begin(), row.scans.end());
    nextPageChoices_.assign(row.choices.begin(), row.choices.end());
    host_.nameText = row.name;
    Answer();
    Build();
    std::vector<std::pair<S, S>> heard;
    QObject follower;  // hears nothing once the row is done
    QObject::connect(workflow_.get(), &ScanWorkflow::stateChanged, &follower, [&](S from, S to) {
      heard.emplace_back(from, to);
      EXPECT_EQ(workflow_->IsScanning(), to != S::Idle);
      if (to == S::Idle && row.document != nullptr) {
        EXPECT_TRUE(Exists(row.document));
      }
    });
    Click();
    EXPECT_EQ(heard, row.moves);
  }
}

}  // namespace
