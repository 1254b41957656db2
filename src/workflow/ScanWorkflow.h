#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/FileFormatType.h"
#include "twain/TwainTypes.h"
#include "workflow/BlankPageKeeper.h"
#include "workflow/DocumentClaim.h"
#include "workflow/DocumentFolderRemoval.h"
#include "workflow/PageRecognition.h"
#include "workflow/ScanState.h"
#include "workflow/ScanWorkflowHost.h"
#include "writers/WriteWorker.h"

class DocumentPaths;
class Prompter;
class PageCleaner;
class ScanSource;

// What the workflow uses besides the host and the scan source: the window
// hands in its dialogs, the command line its console, tests their scripts.
// Every one must be set.
struct ScanWorkflowSeams {
  // Answers every question and notice.
  Prompter* prompter = nullptr;
  // Asks for the page to scan next (a ScanNextPageChoice).
  std::function<int(int pageNumber)> chooseNextPage;
  // Shows a saved file.
  std::function<void(const std::string& path, bool useDefaultViewer)> viewFile;
  // Runs each write.
  std::function<std::unique_ptr<WriteWorker>(FileFormatType format)> createWorker;
  // Takes the blank page of a single-page document; false when it could not.
  BlankPageKeeper::Trasher trash;
};

// The step under way, for a front end's status line.
enum class ScanStep {
  Scanning,   // the source reads page `pageNumber`
  Saving,     // page `pageNumber` is written
  Combining,  // the pages are combined into the document
};

// The document in progress and the scan command's steps: validation,
// one page scan at a time, the scan source's notifications, saving each page
// as it arrives, the page loop, combining and finishing the document. Every
// question goes through the prompter; no widget of its own.
class ScanWorkflow : public QObject {
  Q_OBJECT

 public:
  ScanWorkflow(ScanWorkflowHost& host, ScanSource& source, ScanWorkflowSeams seams);
  ~ScanWorkflow() override;

  void OnScanClicked();
  // Stops the scan under way through the source's own cancel. The pages
  // already written stay in the document's folder as they are, uncombined,
  // and nothing is asked; false when no page scan was under way.
  bool Stop();
  // A stop was asked for and the scan has not ended yet.
  bool IsStopping() const { return stopping_; }

  // A page scan was started and its outcome is not handled yet.
  bool IsScanning() const { return state_ != ScanState::Idle; }
  // The number the next saved page gets.
  int PageNumber() const { return pageNumber_; }
  const std::vector<std::string>& ScannedPages() const { return scannedPages_; }
  // Blank pages of the document in progress, or of the last one, set aside.
  int PagesSetAside() const { return blankPages_.Count(); }
  // Pages of the document in progress whose text is recognised; -1 when no
  // text is recognised for it.
  int PagesRead() const { return recognition_.CountRead(scannedPages_); }
  // The document folder of the document in progress, or of the last one.
  std::string GetDocumentFolder() const;
  // Tests shorten the wait between attempts to remove a document folder.
  void SetRemovalRetryInterval(int milliseconds);

  // The steps, named as the window's own operations.
  void StartScanningPage();
  void SaveScannedPages();
  void SaveScannedPage(TW_HANDLE image);
  void CombineScannedPages();
  void FinishDocument();
  void RemoveDestinationFolder(const std::string& folder, const std::vector<std::string>& pages);

 signals:
  // The state moved on since it was last told. Told once the scan command or
  // a notification of the scan source is handled, so `to` is the state the
  // workflow is in; a page scan that ends and starts the next inside one
  // notification is no move.
  void stateChanged(ScanState from, ScanState to);
  // A step began; told as it begins, inside the handling of the scan command
  // or of the source's notification.
  void stepStarted(ScanStep step, int pageNumber);

 private:
  // Handlers of the scan source's signals.
  void OnScanComplete();
  void OnScanCancelled();
  void OnScanError();
  void OnScanPage();
  void EndStopped();
  bool PassesChecks();
  bool RefuseWhileScanning();
  bool CheckDestinationNameText();
  bool FitsTheGlass();
  bool ClaimDestination();
  void ReportLeftPages();
  DocumentPaths Paths() const;
  void StartDocument();
  int SaveOfferedPages();
  void CreateDocumentFolder();
  std::unique_ptr<WriteWorker> MakeWorker(FileFormatType format) const;
  bool WritePage(TW_HANDLE image, const std::string& path, FileFormatType format);
  void AskToDeletePages();
  void StartCleanup();
  bool SetAsideIfBlank(const std::string& path);
  void ReportPagesSetAside();
  void Move(ScanEvent event);
  bool TakeOutcome(ScanEvent outcome);
  void RunWaitingOutcome(ScanState saved);
  void TellState();
  int ChooseNextPage();
  Prompter& Ask() const { return *seams_.prompter; }

  ScanWorkflowHost& host_;
  ScanSource& source_;
  ScanWorkflowSeams seams_;
  ScanChoices choices_;
  std::vector<std::string> scannedPages_;
  int pageNumber_ = 1;
  int pagesThisScan_ = 0;
  ScanState state_ = ScanState::Idle;
  ScanState toldState_ = ScanState::Idle;
  bool createdDocumentFolder_ = false;
  DocumentFolderRemoval removal_;
  PageRecognition recognition_;
  DocumentClaim claim_;
  // The clean-up of the document's pages, when the folder asks for any.
  std::shared_ptr<PageCleaner> cleaner_;
  BlankPageKeeper blankPages_;
  bool pageSetAside_ = false;
  bool stopping_ = false;
  // A page or document of this scan command reached disk: only then does the
  // folder's name series move on.
  bool wroteDocument_ = false;
};
