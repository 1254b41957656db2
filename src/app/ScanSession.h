#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "app/CommandScanHost.h"
#include "app/ScannerLimits.h"
#include "app/TerminationSignal.h"
#include "core/Prompter.h"
#include "twain/SourceEventFilter.h"
#include "twain/TwainManager.h"

class CommandOutcome;
class ScanWorkflow;

// One document scanned from the command line: the window's scan workflow
// over the scan manager, driven by the event loop instead of a window. The
// page loop never asks: a feeder batch is one scan, `pages` flatbed scans
// follow each other (on a terminal after Enter), and a failure ends the
// document before its pages are combined, so no partial document is written.
// The workflow asks through the session, which hands each question on.
class ScanSession : public QObject, private Prompter {
 public:
  ScanSession(const ScanChoices& choices, const FolderChoices& stored, int pages,
              CommandOutcome& outcome, Prompter& prompter);
  ~ScanSession() override;

  // Opens the scanner manager and selects the named source, or the default
  // one; false (and told) when there is no such scanner.
  bool OpenScanner(const std::optional<std::string>& source);
  // What the opened scanner tells of its glass and resolutions.
  ScannerLimits Limits();
  // Scans the document; returns once it is written, has failed or was cancelled.
  void Run();
  bool Cancelled() const { return cancelled_; }
  // The choices the document was scanned with: its name may have moved on.
  ScanChoices Choices() const { return host_.Choices(); }
  // Blank pages of the document that went to the trash or beside it.
  int PagesSetAside() const;

 private:
  PromptAnswer Ask(const PromptRequest& request) override;
  int ChooseNextPage();
  void ShowProgress();
  bool WaitForEnter(int pageNumber);

  CommandOutcome& outcome_;
  Prompter& prompter_;
  int pages_;
  int scansDone_ = 0;
  bool cancelled_ = false;
  CommandScanHost host_;
  TwainManager manager_;
  SourceEventFilter filter_{manager_};
  std::unique_ptr<ScanWorkflow> workflow_;
  TerminationSignal signal_;
  QTimer progress_;
};
