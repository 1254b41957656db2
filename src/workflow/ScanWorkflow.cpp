#include "workflow/ScanWorkflow.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <utility>

#include "cleanup/PageCleaner.h"
#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "settings/AppSettings.h"
#include "twain/GlobalMemory.h"
#include "twain/ScanSource.h"
#include "workflow/AbandonedClaims.h"
#include "workflow/DestinationNameCheck.h"
#include "workflow/DocumentPaths.h"
#include "workflow/GlassFit.h"
#include "workflow/NextPageChoice.h"
#include "writers/PdfWriter.h"

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
const char kNoDocumentSize[] =
    "The document size has no width or height.  Please choose another document size.";
const char kDeleteTemporary[] = "Do you want to delete the temporary folder and files?";
const char kScannerError[] =
    "Error communicating with scanner.  Please check connections and try again.";

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// The pages taken from the scan source belong to us until saved; they are
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

ScanWorkflow::ScanWorkflow(ScanWorkflowHost& host, ScanSource& source, ScanWorkflowSeams seams)
    : host_(host), source_(source), seams_(std::move(seams)), blankPages_(seams_.trash) {
  CheckPrecondition(CONTRACT_LOCATION, seams_.prompter != nullptr && seams_.chooseNextPage &&
                                           seams_.viewFile && seams_.createWorker);
  // Each page is written before the next is taken from the source, so a
  // feeder batch needs memory for one page whatever its length.
  source_.SetHeldPageLimit(1);
  // The source queues its signals, so none arrives inside a call made to it.
  // Each is handled before followers hear of the state it left.
  const auto handle = [this](void (ScanWorkflow::*handler)()) {
    return [this, handler] {
      (this->*handler)();
      TellState();
    };
  };
  connect(&source_, &ScanSource::pageReady, this, handle(&ScanWorkflow::OnScanPage));
  connect(&source_, &ScanSource::scanComplete, this, handle(&ScanWorkflow::OnScanComplete));
  connect(&source_, &ScanSource::scanCancelled, this, handle(&ScanWorkflow::OnScanCancelled));
  connect(&source_, &ScanSource::scanFailed, this, handle(&ScanWorkflow::OnScanError));
}

// Before the members go: a notice must not reach a half-destroyed workflow.
ScanWorkflow::~ScanWorkflow() {
  source_.disconnect(this);
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
  if (!RefuseWhileScanning() && PassesChecks()) {
    StartDocument();
    StartScanningPage();
    host_.FocusDestinationName(true);
  }
  TellState();
}

// A second scan command while the source is still busy would pull the source
// away from the pages it is delivering; it is refused. A source whose window
// the user closed tells nobody, so its pending end is carried out here first.
bool ScanWorkflow::Stop() {
  if (stopping_ || (state_ != ScanState::Scanning && state_ != ScanState::Saving))
    return false;
  Log(LOG_LOCATION, "ScanWorkflow::Stop(): after %d pages", static_cast<int>(scannedPages_.size()));
  stopping_ = source_.CancelScan();
  return stopping_;
}

// A stopped scan keeps what it wrote and asks nothing: the pages stay in the
// document's folder, the name is given back unless a page took it.
void ScanWorkflow::EndStopped() {
  Log(LOG_LOCATION, "ScanWorkflow::EndStopped(): %d pages kept",
      static_cast<int>(scannedPages_.size()));
  stopping_ = false;
  claim_.Release();
  ReportPagesSetAside();
}

bool ScanWorkflow::RefuseWhileScanning() {
  if (state_ == ScanState::Idle)
    return false;
  if (source_.IsSourceBusy() || state_ != ScanState::Scanning) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked(): Scan in progress");
    Ask().ShowNotice(PromptId::ScanInProgress, kScanInProgress);
    return true;
  }
  Move(ScanEvent::SourceLetGo);
  return false;
}

bool ScanWorkflow::PassesChecks() {
  if (!host_.IsDestinationSelected()) {
    Ask().ShowError(PromptId::NoDestinationSelected, kNoDestinationSelected);
    return false;
  }
  if (!source_.IsSourceSelected()) {
    host_.SelectSource();
    if (!source_.IsSourceSelected()) {
      Ask().ShowError(PromptId::NoScanners, kNoScanners);
      return false;
    }
  }
  if (!CheckDestinationNameText())
    return false;
  // The controls are read before the existence test, so that the path tested
  // is the one the scan will write.
  host_.ReadControls();
  choices_ = host_.Choices();
  return FitsTheGlass() && ClaimDestination();
}

// The page would come out stretched to a size the glass cannot hold, or as nothing.
bool ScanWorkflow::FitsTheGlass() {
  const DocumentSize& size = choices_.documentSize;
  const std::optional<ScanAreaSize> glass = host_.GlassSize();
  switch (FitOnGlass(size, glass)) {
    case GlassFit::Fits:
      return true;
    case GlassFit::NoSize:
      Ask().ShowError(PromptId::NoDocumentSize, Text(kNoDocumentSize));
      return false;
    case GlassFit::LargerThanGlass:
      break;
  }
  const std::string text =
      "The document size " + size.Name() + " (" + InchesText(size.Width(), size.Height()) +
      ") is larger than the scanner's glass (" + InchesText(glass->width, glass->height) +
      ").  Please choose a smaller document size.";
  Ask().ShowError(PromptId::LargerThanGlass, Text(text));
  return false;
}

// The name is taken on disk before the first page is written, so a scan that
// another one overtook moves on instead of replacing its document.
bool ScanWorkflow::ClaimDestination() {
  const std::string asked = choices_.destinationName;
  const auto askOverwrite = [this](const std::string& existing) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked(): Asking before overwriting");
    const std::string question =
        "The destination " + existing + " already exists.  Do you want to continue?";
    return Ask().AskYesNo(PromptId::ReplaceDocument, Text(question), Text(existing));
  };
  switch (claim_.ClaimName(choices_, askOverwrite)) {
    case DocumentClaim::Outcome::Declined:
      return false;
    case DocumentClaim::Outcome::Failed:
      // A folder that takes no file (read-only, full) takes no page either:
      // the scan goes on unclaimed and the write reports why, as before.
      Log(LOG_LOCATION, "CFoliantDlg::OnScanClicked(): Unclaimed: %s", claim_.ErrorText().c_str());
      break;
    case DocumentClaim::Outcome::Claimed:
      break;
  }
  if (choices_.destinationName != asked)
    host_.DestinationNameChanged(choices_.destinationName);
  ReportLeftPages();
  return true;
}

// The pages of a scan that was killed are never removed: the user is told
// where they are, to finish them into a document or throw them away.
void ScanWorkflow::ReportLeftPages() {
  for (const std::string& folder : claim_.LeftPageFolders()) {
    PromptRequest notice = Prompter::Notice(PromptId::InterruptedScanPages,
                                            Text(AbandonedClaims::LeftPagesNotice(folder)));
    notice.subject = Text(folder);
    Ask().Ask(notice);
  }
}

bool ScanWorkflow::CheckDestinationNameText() {
  const char* message = nullptr;
  PromptId id = PromptId::NoDestinationName;
  switch (CheckDestinationName(host_.DestinationNameText())) {
    case DestinationNameProblem::None:
      return true;
    case DestinationNameProblem::Empty:
      message = kNoDestinationName;
      break;
    case DestinationNameProblem::IllegalCharacters:
      message = kIllegalCharacters;
      id = PromptId::IllegalCharacters;
      break;
    case DestinationNameProblem::DotName:
      message = kDotName;
      id = PromptId::DotName;
      break;
  }
  Ask().ShowError(id, message);
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
  wroteDocument_ = false;
  stopping_ = false;
  createdDocumentFolder_ = claim_.CreatedFolder();
  StartCleanup();
}

// One cleaner serves the whole document, so the orientation model loads once.
void ScanWorkflow::StartCleanup() {
  // The recognition languages tell the clean-up whose letters to trust on up and down.
  const std::string languages = choices_.cleanup.upright ? PageRecognition::Language() : "";
  if (!choices_.cleanup.Any())
    cleaner_.reset();
  else if (!cleaner_ || !(cleaner_->Choices() == choices_.cleanup) ||
           cleaner_->Languages() != languages)
    cleaner_ = std::make_shared<PageCleaner>(choices_.cleanup, languages);
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
  Move(ScanEvent::Start);
  pagesThisScan_ = 0;
  emit stepStarted(ScanStep::Scanning, pageNumber_);
  source_.StartScan(ScanRequest{choices_.documentSize.Width(), choices_.documentSize.Height(),
                                choices_.resolution, choices_.pixelType, choices_.showScannerUi,
                                choices_.feeder});
}

void ScanWorkflow::Move(ScanEvent event) {
  state_ = NextScanState(state_, event);
}

void ScanWorkflow::TellState() {
  const ScanState from = std::exchange(toldState_, state_);
  if (from != state_)
    emit stateChanged(from, state_);
}

// True when the outcome is handled now: one that arrives while pages are
// being written waits for them, one for a scan already ending is dropped.
bool ScanWorkflow::TakeOutcome(ScanEvent outcome) {
  const ScanState from = std::exchange(state_, NextScanState(state_, outcome));
  return from == ScanState::Scanning || from == ScanState::Idle;
}

// The outcome that arrived during the save is handled as if it came now.
void ScanWorkflow::RunWaitingOutcome(ScanState saved) {
  switch (saved) {
    case ScanState::SavingThenComplete:
      OnScanComplete();
      break;
    case ScanState::SavingThenCancelled:
      OnScanCancelled();
      break;
    case ScanState::SavingThenFailed:
      OnScanError();
      break;
    default:
      break;
  }
}

void ScanWorkflow::OnScanPage() {
  if (state_ != ScanState::Scanning)
    return;  // the save loop under way takes this page as well
  Move(ScanEvent::PageOffered);
  SaveOfferedPages();
  const ScanState saved = state_;
  Move(ScanEvent::PagesSaved);
  RunWaitingOutcome(saved);
}

void ScanWorkflow::OnScanComplete() {
  if (!TakeOutcome(ScanEvent::Completed))
    return;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete()");
  if (state_ != ScanState::Ending) {
    Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): No scan in progress");
    return;
  }
  SaveScannedPages();
  Move(ScanEvent::Ended);
  if (stopping_) {
    EndStopped();
    return;
  }
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
        claim_.Release();
        ReportPagesSetAside();
        break;
      default:
        Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): DONE_SCANNING");
        if (IsTiffFormat(choices_.fileFormatType) || Paths().IsContainerFormat()) {
          Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): TIFF or IsContainerFormat()");
          CombineScannedPages();
        }
        FinishDocument();
        return;
    }
  }
  if (isSinglePage)
    FinishDocument();
}

int ScanWorkflow::ChooseNextPage() {
  if (!choices_.isMultiPageDocument)
    return DONE_SCANNING;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanComplete(): isMultiPageDocument_");
  const int choice = seams_.chooseNextPage(pageNumber_);
  CheckPostcondition(CONTRACT_LOCATION, choice >= SCAN_NEXT_PAGE && choice <= DONE_SCANNING);
  return choice;
}

void ScanWorkflow::OnScanCancelled() {
  if (!TakeOutcome(ScanEvent::Cancelled))
    return;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanCancelled()");
  if (stopping_) {
    EndStopped();
    return;
  }
  if (!scannedPages_.empty())
    AskToDeletePages();
  claim_.Release();
  ReportPagesSetAside();
}

void ScanWorkflow::OnScanError() {
  if (!TakeOutcome(ScanEvent::Failed))
    return;
  Log(LOG_LOCATION, "CFoliantDlg::OnScanError()");
  // Pages the scanner delivered before the failure are kept, not dropped.
  if (state_ == ScanState::Ending) {
    SaveOfferedPages();
    Move(ScanEvent::Ended);
  }
  claim_.Release();
  Ask().ShowError(PromptId::ScannerError, kScannerError);
  ReportPagesSetAside();
}

void ScanWorkflow::AskToDeletePages() {
  if (Ask().AskYesNo(PromptId::DeletePageFiles, kDeleteTemporary))
    RemoveDestinationFolder(GetDocumentFolder(), scannedPages_);
}

void ScanWorkflow::SaveScannedPages() {
  Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPages()");
  SaveOfferedPages();
  if (pagesThisScan_ == 0)
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPages(): No pages");
}

// Takes what the scan source holds until it holds nothing: pages offered
// while one is being written are saved by the same loop, in order.
int ScanWorkflow::SaveOfferedPages() {
  int saved = 0;
  for (;;) {
    TakenPages pages(source_.TakeImages());
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
  return saved;
}

void ScanWorkflow::SaveScannedPage(TW_HANDLE image) {
  Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage()");
  CheckPrecondition(CONTRACT_LOCATION, image != nullptr);
  host_.PageArrived(GlobalLock(image), GlobalSize(image));
  GlobalUnlock(image);
  const DocumentPaths paths = Paths();
  if (paths.HasPageFiles())
    CreateDocumentFolder();
  // A black-and-white page of a PDF is kept as PNG, which JPEG would blur.
  const FileFormatType pageFormat = ScannedPageFormat(choices_.fileFormatType, image);
  std::string pagePath = paths.GetPagePath(pageNumber_);
  if (pageFormat != paths.GetPageFileFormat())
    pagePath = RemoveExtension(pagePath) + "." + DocumentPaths::GetExtension(pageFormat);
  // A rescanned page replaces the last one of its number, whichever kind it was.
  const bool rescan =
      !scannedPages_.empty() && RemoveExtension(scannedPages_.back()) == RemoveExtension(pagePath);
  const std::string existing = rescan ? scannedPages_.back() : pagePath;
  if (FileExists(existing) && !claim_.HoldsPlaceholder(existing)) {
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): %s already exists", existing.c_str());
    const std::string question =
        "The destination " + existing + " already exists.  Do you want to overwrite it?";
    if (Ask().AskYesNo(PromptId::OverwritePage, Text(question), Text(existing))) {
      Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): Overwrite = YES");
      if (WritePage(image, pagePath, pageFormat)) {
        if (existing != pagePath)
          std::remove(existing.c_str());
        if (rescan)
          scannedPages_.back() = pagePath;
        else
          scannedPages_.push_back(pagePath);
      }
    }
  } else {
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): Overwrite = NO");
    if (WritePage(image, pagePath, pageFormat))
      scannedPages_.push_back(pagePath);
  }
  if (choices_.viewAfterSaving && !pageSetAside_ &&
      (choices_.isMultiPageDocument || !paths.IsContainerFormat()))
    seams_.viewFile(pagePath, choices_.useDefaultViewer);
}

// One level only: the destination folder exists, it was picked in the tree.
void ScanWorkflow::CreateDocumentFolder() {
  const std::string folder = GetDocumentFolder();
  Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): CreateFolder(%s)", folder.c_str());
  if (::mkdir(RemoveTrailingSeparator(folder).c_str(), 0777) == 0)
    createdDocumentFolder_ = true;
}

std::unique_ptr<WriteWorker> ScanWorkflow::MakeWorker(FileFormatType format) const {
  return seams_.createWorker(format);
}

bool ScanWorkflow::WritePage(TW_HANDLE image, const std::string& path, FileFormatType format) {
  emit stepStarted(ScanStep::Saving, pageNumber_);
  auto worker = MakeWorker(format);
  AppSettings settings;
  worker->SetProgressCaption("Saving...");
  worker->SetExpectedRate(static_cast<unsigned int>(settings.GetEstimatedSavingSpeed()));
  worker->SetPageCleaner(cleaner_);
  if (worker->Save(image, path, choices_.resolution, choices_.rotateNinety) < 0) {
    Log(LOG_LOCATION, "CFoliantDlg::SaveScannedPage(): ERROR_SAVING");
    Ask().ShowError(PromptId::SaveFailed, kErrorSaving,
                    QString::fromStdString(worker->GetErrorText()));
    return false;
  }
  settings.SetEstimatedSavingSpeed(static_cast<std::int32_t>(worker->MeasuredRate()));
  if (SetAsideIfBlank(path))
    return false;
  recognition_.PageSaved(choices_.fileFormatType, path);
  wroteDocument_ = true;
  // A page file that is not combined afterwards is a document of its own.
  if (!Paths().HasPageFiles() || !IsMultiPageFormat(choices_.fileFormatType))
    host_.DocumentSaved(path, {});
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
  emit stepStarted(ScanStep::Combining, static_cast<int>(scannedPages_.size()));
  auto worker = MakeWorker(choices_.fileFormatType);
  AppSettings settings;
  worker->SetProgressCaption("Combining...");
  worker->SetExpectedRate(static_cast<unsigned int>(settings.GetEstimatedCombiningSpeed()));
  worker->SetPageTextSource(recognition_.ForDocument(choices_.fileFormatType));
  const bool swap = choices_.rotateNinety;
  if (worker->Save(scannedPages_, target, swap ? size.Height() : size.Width(),
                   swap ? size.Width() : size.Height()) < 0) {
    Ask().ShowError(PromptId::SaveFailed, kErrorSaving,
                    QString::fromStdString(worker->GetErrorText()));
    return;
  }
  settings.SetEstimatedCombiningSpeed(static_cast<std::int32_t>(worker->MeasuredRate()));
  host_.DocumentSaved(target, recognition_.PageTexts(scannedPages_));
  recognition_.DocumentWritten(scannedPages_, Ask());
  if (choices_.viewAfterSaving)
    seams_.viewFile(target, choices_.useDefaultViewer);
  RemoveDestinationFolder(paths.GetDocumentFolder(), scannedPages_);
}

void ScanWorkflow::FinishDocument() {
  claim_.Release();  // a claim nothing was written under is given back
  ReportPagesSetAside();
  // A folder of page files whose every page was blank holds nothing.
  if (scannedPages_.empty() && blankPages_.Count() > 0 && Paths().HasPageFiles() &&
      !IsTiffFormat(choices_.fileFormatType) && !Paths().IsContainerFormat())
    RemoveDestinationFolder(GetDocumentFolder(), scannedPages_);
  host_.SaveSettings();
  // A scan that wrote nothing (its only page set aside as blank) used no name.
  if (!wroteDocument_)
    return;
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
