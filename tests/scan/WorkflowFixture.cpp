#include "WorkflowFixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include "DibPage.h"

#include "scan/ScanNextPageDlg.h"

void WorkflowFixture::SetUp() {
  ASSERT_TRUE(root_.isValid());
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
  workflow_.reset();
  prompt_.reset();
}

void WorkflowFixture::Build() {
  workflow_ = std::make_unique<ScanWorkflow>(host_, source_, seams_);
  workflow_->SetRemovalRetryInterval(10);
}

void WorkflowFixture::ScriptScans(const std::vector<int>& pagesPerScan) {
  for (int pages : pagesPerScan) {
    for (int i = 0; i < pages; ++i)
      source_.pages.push_back(MakeFakePage(3 + i, 2, static_cast<std::uint8_t>(0x10 * (i + 1))));
    source_.scans.push_back({pages});
  }
}

void WorkflowFixture::Settle() {
  for (int round = 0; round < 400; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (round >= 5 && (workflow_ == nullptr || !workflow_->IsScanning() || source_.pages.empty()))
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
