#include "app/ScanSession.h"

#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>

#include "app/CommandOutcome.h"
#include "app/ConsoleWriteWorker.h"
#include "app/ProgressLine.h"
#include "core/ContractError.h"
#include "core/DebugLog.h"
#include "platform/trash/UserTrash.h"
#include "workflow/NextPageChoice.h"
#include "workflow/ScanWorkflow.h"

namespace {

const char kScannerInitError[] = "Error initializing scanner.  Please check your connections.";
const char kNoScanners[] =
    "No scanners were detected.  Please check your connections and try again.";
const char kTransferFailed[] =
    "the scanner reported a failure (a paper jam or a device error) and the scan stopped";
constexpr int kSignalCheckMilliseconds = 250;
constexpr int kProgressMilliseconds = 200;

}  // namespace

ScanSession::ScanSession(const ScanChoices& choices, const FolderChoices& stored, int pages,
                         CommandOutcome& outcome, Prompter& prompter)
    : outcome_(outcome), prompter_(prompter), pages_(pages), host_(choices, stored, outcome) {
  QCoreApplication::instance()->installEventFilter(&filter_);
  // Only the source tells that the scan was cancelled: the workflow ends idle
  // whatever the outcome, and nothing it does on a cancel reads the flag.
  connect(&manager_, &ScanSource::scanCancelled, this, [this] { cancelled_ = true; });
  ScanWorkflowSeams seams;
  seams.prompter = this;
  seams.chooseNextPage = [this](int) { return ChooseNextPage(); };
  seams.viewFile = [](const std::string&, bool) {};
  seams.trash = &MoveToUserTrash;
  seams.createWorker = [this](FileFormatType format) -> std::unique_ptr<WriteWorker> {
    return std::make_unique<ConsoleWriteWorker>(format, outcome_);
  };
  workflow_ = std::make_unique<ScanWorkflow>(host_, manager_, std::move(seams));
  connect(workflow_.get(), &ScanWorkflow::stateChanged, this, [](ScanState, ScanState to) {
    if (to == ScanState::Idle)
      QCoreApplication::quit();
  });
  host_.SetPageNumberSource([this] { return workflow_->PageNumber(); });
  signal_.SetHandler([this] {
    Log(LOG_LOCATION, "ScanSession: cancelled by a signal");
    cancelled_ = true;
    QCoreApplication::exit(1);
  });
}

ScanSession::~ScanSession() {
  workflow_.reset();
  QCoreApplication::instance()->removeEventFilter(&filter_);
}

bool ScanSession::OpenScanner(const std::optional<std::string>& source) {
  if (!manager_.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", this)) {
    outcome_.Fail(kExitScanner, kScannerInitError);
    return false;
  }
  if (source.has_value()) {
    if (!manager_.SelectDataSourceNamed(*source)) {
      outcome_.Fail(kExitScanner,
                    "no scanner is named \"" + *source + "\"; \"docketeer sources\" lists them");
      return false;
    }
  } else if (!manager_.IsDataSourceSelected()) {
    outcome_.Fail(kExitScanner, kNoScanners);
    return false;
  }
  Log(LOG_LOCATION, "ScanSession::OpenScanner(): %s", manager_.GetDataSourceName().c_str());
  return true;
}

// A scanner that cannot tell is not refused here: the scan finds out.
ScannerLimits ScanSession::Limits() {
  ScannerLimits limits;
  try {
    const DataSourceSize glass = manager_.GetDataSourceSize();
    limits.glass = ScanAreaSize{glass.width, glass.height};
    limits.resolutions = manager_.GetResolutionRange();
  } catch (const contract_error&) {
    Log(LOG_LOCATION, "ScanSession::Limits(): the scanner did not tell");
  }
  return limits;
}

void ScanSession::Run() {
  if (ProgressLine::Shown()) {
    connect(&progress_, &QTimer::timeout, this, &ScanSession::ShowProgress);
    progress_.start(kProgressMilliseconds);
  }
  workflow_->OnScanClicked();
  if (ProgressLine::Shown())
    ShowProgress();
  if (workflow_->IsScanning() && !TerminationSignal::WasRequested())
    QCoreApplication::exec();
  progress_.stop();
  ProgressLine::End();
  if (TerminationSignal::WasRequested())
    cancelled_ = true;
}

void ScanSession::ShowProgress() {
  const int setAside = workflow_->PagesSetAside();
  const int scanned = static_cast<int>(workflow_->ScannedPages().size()) + setAside;
  ProgressLine::Show(ScanProgressText(scanned, workflow_->PagesRead(), setAside));
}

PromptAnswer ScanSession::Ask(const PromptRequest& request) {
  // A failed transfer (a jam) ends the scan as an error; its own words say more
  // than the general scanner message the workflow gives with it, and they are
  // told once the scan ends, with what it kept.
  if (request.id == PromptId::ScannerError && manager_.HasTransferFailed()) {
    outcome_.FailLater(kExitScanner, kTransferFailed);
    return PromptAnswer::Ok;
  }
  return prompter_.Ask(request);
}

int ScanSession::ChooseNextPage() {
  // Pages already written stay as they are; a document missing one is never combined.
  if (outcome_.Failed() || cancelled_)
    return CANCEL_SCAN;
  // Scans are counted here, not by the document's page number, which a
  // blank page set aside does not move on.
  if (++scansDone_ >= pages_)
    return DONE_SCANNING;
  if (::isatty(STDIN_FILENO) == 1 && !WaitForEnter(scansDone_ + 1)) {
    cancelled_ = true;
    return CANCEL_SCAN;
  }
  return SCAN_NEXT_PAGE;
}

// False for "q", the end of input or a termination signal.
bool ScanSession::WaitForEnter(int pageNumber) {
  ProgressLine::End();
  std::fprintf(stderr,
               "Place page %d on the scanner and press Enter (q and Enter cancel): ", pageNumber);
  std::string line;
  for (;;) {
    if (TerminationSignal::WasRequested())
      return false;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, kSignalCheckMilliseconds) <= 0)
      continue;
    char byte = 0;
    if (::read(STDIN_FILENO, &byte, 1) != 1)
      return false;
    if (byte == '\n')
      return line != "q" && line != "Q";
    line += byte;
  }
}

int ScanSession::PagesSetAside() const {
  return workflow_ ? workflow_->PagesSetAside() : 0;
}
