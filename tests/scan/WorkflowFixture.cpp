#include "WorkflowFixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "scan/ScanNextPageDlg.h"

void WorkflowFixture::SetUp() {
  FakeDsmFixture::SetUp();
  ASSERT_TRUE(root_.isValid());
  manager_ = std::make_unique<TwainManager>();
  filter_ = std::make_unique<SourceEventFilter>(*manager_);
  QCoreApplication::instance()->installEventFilter(filter_.get());
  ASSERT_TRUE(
      manager_->Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &forwarder_));
  host_.choices.destinationFolder = Folder();
  host_.choices.fileFormatType = static_cast<FileFormatType>(1);
  host_.choices.documentSize = DocumentSize("Letter", 8500, 11000);
  host_.choices.resolution = 100;
  seams_.prompter = &prompter_;
  seams_.chooseNextPage = [this](int pageNumber) {
    nextPageNumbers_.push_back(pageNumber);
    if (nextPageChoices_.empty())
      return static_cast<int>(DONE_SCANNING);
    const int choice = nextPageChoices_.front();
    nextPageChoices_.pop_front();
    return choice;
  };
  seams_.viewFile = [this](const std::string& path, bool) { viewed_.push_back(path); };
  seams_.trash = [](const std::string& path) {
    return QFile::moveToTrash(QFile::decodeName(path.c_str()));
  };
  seams_.createWorker = [this](FileFormatType format) -> std::unique_ptr<WriteWorker> {
    if (!createWriter_)
      return std::make_unique<ImageWriterWorkerDlg>(format);
    return std::make_unique<ImageWriterWorkerDlg>(format, nullptr, createWriter_, [] {
      return static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
    });
  };
  Answer();
}

void WorkflowFixture::TearDown() {
  Settle();
  forwarder_.workflow = nullptr;
  workflow_.reset();
  filter_.reset();
  manager_.reset();
  prompt_.reset();
  FakeDsmFixture::TearDown();
}

void WorkflowFixture::Build() {
  workflow_ = std::make_unique<ScanWorkflow>(host_, *manager_, seams_);
  workflow_->SetRemovalRetryInterval(10);
  forwarder_.workflow = workflow_.get();
}

void WorkflowFixture::ScriptScans(const std::vector<int>& pagesPerScan) {
  for (int pages : pagesPerScan) {
    AddPages(pages);
    for (int i = 1; i < pages; ++i)
      Script().pendingCounts.push_back(static_cast<TW_UINT16>(pages - i));
    Script().pendingCounts.push_back(0);
  }
  Script().eventsOnEnable = {MSG_XFERREADY};
}

void WorkflowFixture::Settle() {
  for (int round = 0; round < 400; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (round >= 5 && (workflow_ == nullptr || !workflow_->IsScanning() || Script().pages.empty()))
      break;
  }
  QCoreApplication::processEvents();
}

void WorkflowFixture::Click() {
  workflow_->OnScanClicked();
  Settle();
}

void WorkflowFixture::Answer(QList<PromptAnswer> answers) {
  // The old responder restores the message box when it goes, so it goes first.
  prompt_.reset();
  prompt_ = std::make_unique<ScriptedPrompt>(std::move(answers));
}

std::string WorkflowFixture::Folder() const {
  return root_.path().toStdString() + "/";
}

std::string WorkflowFixture::PathOf(const std::string& relative) const {
  return Folder() + relative;
}

bool WorkflowFixture::Exists(const std::string& relative) const {
  return QFileInfo::exists(QString::fromStdString(PathOf(relative)));
}

QList<PromptId> WorkflowFixture::Asked() const {
  QList<PromptId> ids;
  for (const PromptRequest& request : prompt_->asked)
    ids << request.id;
  return ids;
}
