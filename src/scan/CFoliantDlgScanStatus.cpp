// The window's side of a scan under way: the status line, the Stop button
// and the page in the preview.
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "dialogs/DocumentSizePreviewWnd.h"
#include "scan/ArchiveSearch.h"
#include "scan/CFoliantDlg.h"
#include "scan/ScanStatusLine.h"

namespace {

const QString kScanText = QStringLiteral("SCAN &NOW!");
const QString kStopText = QStringLiteral("&Stop");

}  // namespace

void CFoliantDlg::OnScanStep(ScanStep step, int pageNumber) {
  step_ = step;
  stepPage_ = pageNumber;
  if (step == ScanStep::Combining) {
    RefreshRecognitionStatus();
    statusTimer_->start();
    return;
  }
  statusTimer_->stop();
  controls_.status->ShowStep(step, pageNumber, 0, 0);
}

// While the pages are combined the writer waits for their text; the line
// counts the pages as they are read.
void CFoliantDlg::RefreshRecognitionStatus() {
  controls_.status->ShowStep(step_, stepPage_, std::max(0, workflow_->PagesRead()), stepPage_);
}

void CFoliantDlg::OnScanStateChanged(ScanState to) {
  const bool scanning = to != ScanState::Idle;
  search_->SetScanning(scanning);
  ShowScanButtonAsStop(scanning);
  if (scanning)
    return;
  statusTimer_->stop();
  if (std::exchange(stopAsked_, false))
    controls_.status->ShowStopped(workflow_->GetDocumentFolder(),
                                  static_cast<int>(workflow_->ScannedPages().size()));
  else if (step_ == ScanStep::Scanning && controls_.status->text().startsWith("Scanning"))
    controls_.status->Clear();  // ended without a page: the scanner's own message said why
  if (std::exchange(quitWhenIdle_, false))
    QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
}

// The button keeps its place and size; only its words and colour change.
void CFoliantDlg::ShowScanButtonAsStop(bool stop) {
  QPushButton* button = controls_.scan;
  button->setText(stop ? kStopText : kScanText);
  button->setStyleSheet(stop ? QStringLiteral("QPushButton { background-color: #c62828; "
                                              "color: white; }")
                             : QString());
  button->setToolTip(stop ? QStringLiteral("Stop the scan (Escape); the pages scanned so far stay")
                          : QString());
}

// A new selection or scan starts from a quiet line and an empty page.
void CFoliantDlg::ClearScanStatus() {
  statusTimer_->stop();
  savedPath_.clear();
  savedPages_ = 0;
  controls_.status->Clear();
  controls_.preview->SetPage({});
}

void CFoliantDlg::ShowPagesSetAside(const std::string& notice) {
  if (notice.empty())
    return;
  if (!savedPath_.empty())
    controls_.status->ShowSaved(savedPath_, savedPages_, workflow_->PagesSetAside());
  else
    controls_.status->ShowNotice(notice);
}
