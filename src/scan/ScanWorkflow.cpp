#include "scan/ScanWorkflow.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <utility>

#include "cleanup/PageCleaner.h"
#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/Prompt.h"
#include "scan/DestinationNameCheck.h"
#include "scan/DocumentPaths.h"
#include "scan/ScanNextPageDlg.h"
#include "settings/AppSettings.h"
#include "twain/GlobalMemory.h"
#include "twain/ScanNotificationEvent.h"
#include "twain/TwainManager.h"
#include "writers/shell/DesktopHelpers.h"

namespace {

const char kNoDestinationSelected[] = "Please first select a destination in the tree control.";
const char kNoScanners[] =
    "No scanners were detected.  Please check your connections and try again.";
const char kNoDestinationName[] = "Please enter a destination.";
const char kIllegalCharacters[] =
    "The destination contains one or more illegal characters: \\/:*?\"<>|";
const char kDotName[] =
    "The destination cannot be \".\" or \"..\".  Please enter a name for the document.";
const char kScanInProgress[] =
    "A scan is already in progress.  Please finish it on the scanner, or close the scanner's "
    "window, and try again.";
const char kErrorSaving[] =
    "There was an error saving the file.  Please make sure the file or folder is not read-only "
    "and that the disk is not full or write-protected.";
const char kDeleteTemporary[] = "Do you want to delete the temporary folder and files?";
const char kScannerError[] =
    "Error communicating with scanner.  Please check connections and try again.";

std::uint32_t SteadyTicks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

int RunNextPageDialog(QWidget* owner, int pageNumber) {
  ScanNextPageDlg dialog(owner);
  dialog.SetPageNumber(pageNumber);
  dialog.exec();
  return dialog.GetChoice();
}

void ViewKeepingFocus(const std::string& path, bool useDefaultViewer, QWidget* owner) {
  ViewFile(path, useDefaultViewer, true, owner);
}

// The pages taken from the scan manager belong to us until saved; they are
// freed one by one as soon as each is on disk, whatever happens.
class TakenPages {
 public:
  explicit TakenPages(std::vector<TW_HANDLE> pages) : pages_(std::move(pages)) {}
  ~TakenPages() {
    for (TW_HANDLE page : pages_)
      GlobalFree(page);
  }
  TakenPages(const TakenPages&) = delete;
  TakenPages& operator=(const TakenPages&) = delete;

  std::size_t size() const { return pages_.size(); }
  TW_HANDLE at(std::size_t index) const { return pages_[index]; }
  void Free(std::size_t index) {
    GlobalFree(pages_[index]);
    pages_[index] = nullptr;
  }

 private:
  std::vector<TW_HANDLE> pages_;
};

}  // namespace

ScanWorkflow::ScanWorkflow(ScanWorkflowHost& host, TwainManager& scanManager,
                           ScanWorkflowSeams seams)
    : host_(host), scanManager_(scanManager), seams_(std::move(seams)) {
  if (!seams_.chooseNextPage)
    seams_.chooseNextPage = &RunNextPageDialog;
  if (!seams_.viewFile)
    seams_.viewFile = &ViewKeepingFocus;
  // Each page is written before the next is taken from the source, so a
  // feeder batch needs memory for one page whatever its length.
  scanManager_.SetHeldPageLimit(1);
}

ScanWorkflow::~ScanWorkflow() = default;

QWidget* ScanWorkflow::Owner() const {
  return host_.DialogOwner();
}

DocumentPaths ScanWorkflow::Paths() const {
  return DocumentPaths(choices_.destinationFolder, choices_.destinationName,
                       choices_.fileFormatType, choices_.isMultiPageDocument);
}

std::string ScanWorkflow::GetDocumentFolder() const {
  return Paths().GetDocumentFolder();
}

void ScanWorkflow::SetRemovalRetryInterval(int milliseconds) {
  removal_.SetRetryInterval(milliseconds);
}

void ScanWorkflow::OnScanClicked() {
  Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked()");
  if (RefuseWhileScanning() || !PassesChecks())
    return;
  StartDocument();
  StartScanningPage();
  host_.FocusDestinationName(true);
}

// A second scan command while the source is still busy would pull the source
// away from the pages it is delivering; it is refused. A source whose window
// the user closed tells nobody, so its pending end is carried out here first.
bool ScanWorkflow::RefuseWhileScanning() {
  if (!scanning_)
    return false;
  scanManager_.ProcessDeferredTasks();
  if (scanManager_.IsDataSourceEnabled()) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked(): Scan in progress");
    Prompt::ShowNotice(Owner(), kScanInProgress);
    return true;
  }
  scanning_ = false;
  return false;
}

bool ScanWorkflow::PassesChecks() {
  if (!host_.IsDestinationSelected()) {
    Prompt::ShowError(Owner(), kNoDestinationSelected);
    return false;
  }
  if (!scanManager_.IsDataSourceSelected()) {
    host_.SelectSource();
    if (!scanManager_.IsDataSourceSelected()) {
      Prompt::ShowError(Owner(), kNoScanners);
      return false;
    }
  }
  if (!CheckDestinationNameText())
    return false;
  // The controls are read before the existence test, so that the path tested
  // is the one the scan will write.
  host_.ReadControls();
  choices_ = host_.Choices();
  const std::string destination = Paths().GetDestinationPath();
  if (FileExists(destination)) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked(): Asking before overwriting");
    const std::string question =
        "The destination " + destination + " already exists.  Do you want to continue?";
    if (!Prompt::AskYesNo(Owner(), Text(question)))
      return false;
  }
  return true;
}

bool ScanWorkflow::CheckDestinationNameText() {
  const char* message = nullptr;
  switch (CheckDestinationName(host_.DestinationNameText())) {
    case DestinationNameProblem::None:
      return true;
    case DestinationNameProblem::Empty:
      message = kNoDestinationName;
      break;
    case DestinationNameProblem::IllegalCharacters:
      message = kIllegalCharacters;
      break;
    case DestinationNameProblem::DotName:
      message = kDotName;
      break;
  }
  Prompt::ShowError(Owner(), message);
  host_.FocusDestinationName(false);
  return false;
}

void ScanWorkflow::StartDocument() {
  const std::string folder = Paths().GetDocumentFolder();
  if (removal_.IsPending(folder)) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked(): Keeping %s", folder.c_str());
    removal_.Cancel(folder);
  }
  pageNumber_ = 1;
  scannedPages_.clear();
  createdDocumentFolder_ = false;
  deferredOutcome_ = Outcome::None;
  StartCleanup();
}

// One cleaner serves the whole document, so the orientation model loads once.
void ScanWorkflow::StartCleanup() {
  if (!choices_.cleanup.Any())
    cleaner_.reset();
  else if (!cleaner_ || !(cleaner_->Choices() == choices_.cleanup))
    cleaner_ = std::make_shared<PageCleaner>(choices_.cleanup);
  blankPages_.StartDocument(choices_.destinationFolder, choices_.destinationName,
                            choices_.isMultiPageDocument);
  host_.ShowPagesSetAside(std::string());
}

// A blank page is not one of the document's pages; it is moved aside whole.
bool ScanWorkflow::SetAsideIfBlank(const std::string& path) {
  if (!cleaner_ || !cleaner_->LastCleanup().blank)
    return false;
  pageSetAside_ = blankPages_.SetAside(path);
  return pageSetAside_;
}

void ScanWorkflow::ReportPagesSetAside() {
  if (blankPages_.Count() > 0)
    host_.ShowPagesSetAside(blankPages_.Notice());
}

void ScanWorkflow::StartScanningPage() {
  Log(LOG_LOCATION, "CFoliantDlg::StartScanningPage()");
  Log(LOG_LOCATION, "resolution_ = %d", choices_.resolution);
  Log(LOG_LOCATION, "pixelType_ = %d", static_cast<int>(choices_.pixelType));
  scanning_ = true;
  pagesThisScan_ = 0;
  scanManager_.StartScan(ScanRequest{choices_.documentSize.Width(), choices_.documentSize.Height(),
                                     choices_.resolution, choices_.pixelType,
                                     choices_.showScannerUi, choices_.feeder});
}

bool ScanWorkflow::OnScanNotification(int type) {
  switch (type) {
    case WM_SCAN_COMPLETE:
      OnScanComplete();
      return true;
    case WM_SCAN_CANCELLED:
      OnScanCancelled();
      return true;
    case WM_SCAN_ERROR:
      OnScanError();
      return true;
    case WM_SCAN_PAGE:
      OnScanPage();
      return true;
    default:
      return false;
  }
}

// A notification that arrives while a page is being saved (the progress
// dialog runs its own event loop) waits until the pages are on disk.
bool ScanWorkflow::DeferWhileSaving(Outcome outcome) {
  if (!saving_)
    return false;
  deferredOutcome_ = outcome;
  return true;
}

void ScanWorkflow::RunDeferredOutcome() {
  const Outcome outcome = std::exchange(deferredOutcome_, Outcome::None);
  switch (outcome) {
    case Outcome::Complete:
      OnScanComplete();
      break;
    case Outcome::Cancelled:
      OnScanCancelled();
      break;
    case Outcome::Error:
      OnScanError();
      break;
    case Outcome::None:
      break;
  }
}

int ScanWorkflow::OnScanPage() {
  if (saving_ || !scanning_)
    return 1;  // the save loop under way takes this page as well
  SaveOfferedPages();
  RunDeferredOutcome();
  return 1;
}

int ScanWorkflow::OnScanComplete() {
  if (DeferWhileSaving(Outcome::Complete))
    return 1;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete()");
  if (!scanning_) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): No scan in progress");
    return 1;
  }
  SaveScannedPages();
  scanning_ = false;
  const bool isSinglePage = !choices_.isMultiPageDocument;
  if (choices_.isMultiPageDocument || Paths().IsContainerFormat()) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): isMultiPageDocument_ or IsContainerFormat()");
    switch (ChooseNextPage()) {
      case SCAN_NEXT_PAGE:
        Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): SCAN_NEXT_PAGE");
        StartScanningPage();
        break;
      case RESCAN_LAST_PAGE:
        Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): RESCAN_LAST_PAGE");
        --pageNumber_;
        StartScanningPage();
        break;
      case CANCEL_SCAN:
        Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): CANCEL_SCAN");
        AskToDeletePages();
        ReportPagesSetAside();
        break;
      default:
        Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): DONE_SCANNING");
        if (IsTiffFormat(choices_.fileFormatType) || Paths().IsContainerFormat()) {
          Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): TIFF or IsContainerFormat()");
          CombineScannedPages();
        }
        FinishDocument();
        return 1;
    }
  }
  if (isSinglePage)
    FinishDocument();
  return 1;
}

int ScanWorkflow::ChooseNextPage() {
  if (!choices_.isMultiPageDocument)
    return DONE_SCANNING;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): isMultiPageDocument_");
  const int choice = seams_.chooseNextPage(Owner(), pageNumber_);
  CheckPostcondition(CONTRACT_LOCATION, choice >= SCAN_NEXT_PAGE && choice <= DONE_SCANNING);
  return choice;
}

int ScanWorkflow::OnScanCancelled() {
  if (DeferWhileSaving(Outcome::Cancelled))
    return 1;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanCancelled()");
  scanning_ = false;
  if (!scannedPages_.empty())
    AskToDeletePages();
  ReportPagesSetAside();
  return 1;
}

int ScanWorkflow::OnScanError() {
  if (DeferWhileSaving(Outcome::Error))
    return 1;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanError()");
  // Pages the scanner delivered before the failure are kept, not dropped.
  if (scanning_)
    SaveOfferedPages();
  scanning_ = false;
  ReportPagesSetAside();
  Prompt::ShowError(Owner(), kScannerError);
  return 1;
}

void ScanWorkflow::AskToDeletePages() {
  if (Prompt::AskYesNo(Owner(), kDeleteTemporary))
    RemoveDestinationFolder(GetDocumentFolder(), scannedPages_);
}

void ScanWorkflow::SaveScannedPages() {
  Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPages()");
  SaveOfferedPages();
  if (pagesThisScan_ == 0)
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPages(): No pages");
}

// Takes what the scan manager holds until it holds nothing: pages offered
// while one is being written are saved by the same loop, in order.
int ScanWorkflow::SaveOfferedPages() {
  const bool wasSaving = std::exchange(saving_, true);
  int saved = 0;
  for (;;) {
    TakenPages pages(scanManager_.TakeImages());
    if (pages.size() == 0)
      break;
    for (std::size_t i = 0; i < pages.size(); ++i) {
      CheckPostcondition(CONTRACT_LOCATION, pages.at(i) != nullptr);
      SaveScannedPage(pages.at(i));
      pages.Free(i);
      // A page set aside leaves no gap in the document's page numbers.
      if (!std::exchange(pageSetAside_, false))
        ++pageNumber_;
      ++pagesThisScan_;
      ++saved;
    }
  }
  saving_ = wasSaving;
  return saved;
}

void ScanWorkflow::SaveScannedPage(TW_HANDLE image) {
  Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage()");
  CheckPrecondition(CONTRACT_LOCATION, image != nullptr);
  const DocumentPaths paths = Paths();
  if (paths.HasPageFiles())
    CreateDocumentFolder();
  const std::string pagePath = paths.GetPagePath(pageNumber_);
  if (FileExists(pagePath)) {
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): %s already exists", pagePath.c_str());
    const std::string question =
        "The destination " + pagePath + " already exists.  Do you want to overwrite it?";
    if (Prompt::AskYesNo(Owner(), Text(question))) {
      Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): Overwrite = YES");
      if (WritePage(image, pagePath) && (scannedPages_.empty() || scannedPages_.back() != pagePath))
        scannedPages_.push_back(pagePath);
    }
  } else {
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): Overwrite = NO");
    if (WritePage(image, pagePath))
      scannedPages_.push_back(pagePath);
  }
  if (choices_.viewAfterSaving && !pageSetAside_ &&
      (choices_.isMultiPageDocument || !paths.IsContainerFormat()))
    seams_.viewFile(pagePath, choices_.useDefaultViewer, Owner());
}

// One level only: the destination folder exists, it was picked in the tree.
void ScanWorkflow::CreateDocumentFolder() {
  const std::string folder = GetDocumentFolder();
  Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): CreateFolder(%s)", folder.c_str());
  if (::mkdir(RemoveTrailingSeparator(folder).c_str(), 0777) == 0)
    createdDocumentFolder_ = true;
}

std::unique_ptr<WriteWorker> ScanWorkflow::MakeWorker(FileFormatType format) const {
  if (seams_.createWorker)
    return seams_.createWorker(format, Owner());
  if (!seams_.createWriter)
    return std::make_unique<ImageWriterWorkerDlg>(format, Owner());
  return std::make_unique<ImageWriterWorkerDlg>(format, Owner(), seams_.createWriter, &SteadyTicks);
}

bool ScanWorkflow::WritePage(TW_HANDLE image, const std::string& path) {
  auto worker = MakeWorker(Paths().GetPageFileFormat());
  AppSettings settings;
  worker->SetProgressCaption("Saving...");
  worker->SetExpectedRate(static_cast<unsigned int>(settings.GetEstimatedSavingSpeed()));
  worker->SetPageCleaner(cleaner_);
  if (worker->Save(image, path, choices_.resolution, choices_.rotateNinety) < 0) {
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): ERROR_SAVING");
    Prompt::ShowError(Owner(), kErrorSaving, QString::fromStdString(worker->GetErrorText()));
    return false;
  }
  settings.SetEstimatedSavingSpeed(static_cast<std::int32_t>(worker->MeasuredRate()));
  if (SetAsideIfBlank(path))
    return false;
  recognition_.PageSaved(choices_.fileFormatType, path);
  return true;
}

void ScanWorkflow::CombineScannedPages() {
  const DocumentPaths paths = Paths();
  if (scannedPages_.empty() && blankPages_.Count() > 0) {
    // Every page was blank: there is no document, only its empty folder.
    RemoveDestinationFolder(paths.GetDocumentFolder(), scannedPages_);
    return;
  }
  const std::string target = paths.GetCombinedPath();
  const DocumentSize& size = choices_.documentSize;
  auto worker = MakeWorker(choices_.fileFormatType);
  AppSettings settings;
  worker->SetProgressCaption("Combining...");
  worker->SetExpectedRate(static_cast<unsigned int>(settings.GetEstimatedCombiningSpeed()));
  worker->SetPageTextSource(recognition_.ForDocument(choices_.fileFormatType));
  const bool swap = choices_.rotateNinety;
  if (worker->Save(scannedPages_, target, swap ? size.Height() : size.Width(),
                   swap ? size.Width() : size.Height()) < 0) {
    Prompt::ShowError(Owner(), kErrorSaving, QString::fromStdString(worker->GetErrorText()));
    return;
  }
  settings.SetEstimatedCombiningSpeed(static_cast<std::int32_t>(worker->MeasuredRate()));
  recognition_.DocumentWritten(scannedPages_, Owner());
  if (choices_.viewAfterSaving)
    seams_.viewFile(target, choices_.useDefaultViewer, Owner());
  RemoveDestinationFolder(paths.GetDocumentFolder(), scannedPages_);
}

void ScanWorkflow::FinishDocument() {
  ReportPagesSetAside();
  // A folder of page files whose every page was blank holds nothing.
  if (scannedPages_.empty() && blankPages_.Count() > 0 && Paths().HasPageFiles() &&
      !IsTiffFormat(choices_.fileFormatType) && !Paths().IsContainerFormat())
    RemoveDestinationFolder(GetDocumentFolder(), scannedPages_);
  host_.SaveSettings();
  host_.SaveFolderPreferences();
  if (choices_.updateDestinationAfterScanning)
    host_.ReloadFolderPreferences();
}

// Only what this document wrote goes: its page files always, the folder and
// its preference file only when this document created the folder, so an
// existing folder of the archive that happens to carry the name stays whole.
void ScanWorkflow::RemoveDestinationFolder(const std::string& folder,
                                           const std::vector<std::string>& pages) {
  const bool removeFolder = createdDocumentFolder_ && folder == GetDocumentFolder();
  removal_.Remove(folder, pages, removeFolder);
}
