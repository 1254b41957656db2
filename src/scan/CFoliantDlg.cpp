#include "scan/CFoliantDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <exception>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "dialogs/DocumentSizePreviewWnd.h"
#include "platform/Prompt.h"
#include "scan/ApplicationIcon.h"
#include "scan/ArchiveSearch.h"
#include "scan/DefaultHierarchy.h"
#include "scan/PagePreview.h"
#include "scan/ScanStatusLine.h"
#include "scan/WindowPlacement.h"
#include "scan/WindowSeams.h"
#include "tree/CTreeFileCtrl.h"
#include "writers/shell/DesktopHelpers.h"

namespace {

const QString kScannerInitError = QStringLiteral(
    "Error initializing scanner.  Please check your connections and restart Docketeer.");
const QString kQuitWhileScanning = QStringLiteral("A scan is in progress.  Stop it and quit?");
const QString kNoScanner = QStringLiteral("No scanner found");
constexpr int kStatusTickMs = 250;
// The preview's copy of a page: enough for the preview at any window size.
constexpr int kPreviewSide = 400;

}  // namespace

CFoliantDlg::CFoliantDlg(QWidget* parent)
    : QDialog(parent), archiveCommands_(WindowArchiveSeams(this, prompter_)) {
  setObjectName(QStringLiteral("CFoliantDlg"));
  setWindowTitle(QStringLiteral("Docketeer"));
  setSizeGripEnabled(true);
  controls_ = BuildMainWindowControls(this);
  statusTimer_ = new QTimer(this);
  statusTimer_->setInterval(kStatusTickMs);
  connect(statusTimer_, &QTimer::timeout, this, &CFoliantDlg::RefreshRecognitionStatus);
  UseWorkflow(WindowWorkflowSeams(this, prompter_));
  ConnectControls();
  search_ = new ArchiveSearch(*this, controls_, [this](const std::string& path, int page) {
    if (!ViewFileAtPage(path, page, useDefaultViewer_, this))
      ShowNoViewer(path);
  });
}

void CFoliantDlg::SetScanWorkflowSeams(ScanWorkflowSeams seams) {
  UseWorkflow(WindowWorkflowSeams(this, prompter_, std::move(seams)));
}

// Recognition of the archive waits while a scan is under way (a multi-page
// document asks for its next page inside one), so it never slows the save.
void CFoliantDlg::UseWorkflow(ScanWorkflowSeams seams) {
  workflow_ = std::make_unique<ScanWorkflow>(*this, scanManager_, std::move(seams));
  connect(workflow_.get(), &ScanWorkflow::stateChanged, this,
          [this](ScanState, ScanState to) { OnScanStateChanged(to); });
  connect(workflow_.get(), &ScanWorkflow::stepStarted, this, &CFoliantDlg::OnScanStep);
}

CFoliantDlg::~CFoliantDlg() {
  qApp->removeEventFilter(this);
}

void CFoliantDlg::ConnectControls() {
  const MainWindowControls& c = controls_;
  connect(c.scan, &QPushButton::clicked, this, &CFoliantDlg::OnScanClicked);
  connect(c.tree, &CTreeFileCtrl::selectedPathChanged, this, &CFoliantDlg::OnDestinationChanged);
  connect(c.tree, &CTreeFileCtrl::openRequested, this, &CFoliantDlg::ViewSelectedFile);
  connect(c.tree, &CTreeFileCtrl::exploreRequested, this, &CFoliantDlg::ExploreDestination);
  connect(c.tree, &CTreeFileCtrl::combineToTiffRequested, this, &CFoliantDlg::OnCombineToTiff);
  connect(c.tree, &CTreeFileCtrl::convertToCompressedPdfRequested, this,
          [this] { ConvertToPdf(true); });
  connect(c.tree, &CTreeFileCtrl::convertToUncompressedPdfRequested, this,
          [this] { ConvertToPdf(false); });
  connect(c.destinationFormat, &QComboBox::currentIndexChanged, this,
          &CFoliantDlg::OnNameFormatChanged);
  connect(c.sizeList, &QListWidget::currentRowChanged, this, &CFoliantDlg::OnDocumentSizeChanged);
  connect(c.selectSource, &QPushButton::clicked, this, &CFoliantDlg::OnSelectSource);
  connect(c.advancedSettings, &QPushButton::clicked, this, &CFoliantDlg::OnAdvancedSettings);
  connect(c.help, &QPushButton::clicked, this, &CFoliantDlg::OnHelp);
  connect(c.about, &QPushButton::clicked, this, &CFoliantDlg::OnAbout);
  connect(c.status, &ScanStatusLine::pathChosen, this, [this](const std::string& path) {
    controls_.tree->SelectPath(path, true);
    controls_.tree->setFocus();
  });
}

void CFoliantDlg::showEvent(QShowEvent* event) {
  if (!initialised_) {
    initialised_ = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

void CFoliantDlg::OnInitDialog() {
  Log(LOG_LOCATION, "CFoliantDlg::OnInitDialog()");
  CTreeFileCtrl& tree = *controls_.tree;
  tree.AttachSystemImageList();
  tree.SetAllowDelete(true);
  tree.SetAllowRename(true);
  tree.SetAutoRefresh(true);
  InitializeScanManager();
  LoadSettings();
  LoadFolderPreferences();
  QueryScannerGeometry();
  CreateDefaultHierarchyWhenNew();
  FillControls();
  UpdateControls();
  UpdateTitleAndPreview();
  setWindowIcon(ApplicationIcon());
  RestoreWindowPlacement(*this, ReadWindowPlacement());
}

void CFoliantDlg::InitializeScanManager() {
  const bool ready =
      scanManager_.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", this);
  // From here on every event of the program passes the scan manager first.
  qApp->installEventFilter(this);
  if (!ready)
    Prompt::ShowError(this, PromptId::ScannerInitError, kScannerInitError);
  else if (!scanManager_.IsDataSourceSelected())
    controls_.status->ShowText(kNoScanner);
}

void CFoliantDlg::CreateDefaultHierarchyWhenNew() {
  if (archiveRootFolder_ != defaultArchiveRootFolder_ ||
      FileExists(RemoveTrailingSeparator(archiveRootFolder_)))
    return;
  Log(LOG_LOCATION, "CFoliantDlg::OnInitDialog(): creating the default hierarchy in %s",
      archiveRootFolder_.c_str());
  if (!CreateDefaultHierarchy(archiveRootFolder_))
    Log(LOG_LOCATION, "CFoliantDlg::OnInitDialog(): the default hierarchy is incomplete");
}

bool CFoliantDlg::eventFilter(QObject* watched, QEvent* event) {
  if (PreTranslateMessage(event))
    return true;
  return QDialog::eventFilter(watched, event);
}

bool CFoliantDlg::PreTranslateMessage(QEvent* message) {
  if (!scanManager_.PreTranslateMessage(message))
    return false;
  Log(LOG_LOCATION, "CFoliantDlg::PreTranslateMessage(): No further processing");
  return true;
}

// The editor of a tree item's name is a child of the tree; while it has the
// focus, Enter and Escape belong to the rename.
bool CFoliantDlg::IsRenamingInTree() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && focus != controls_.tree && controls_.tree->isAncestorOf(focus);
}

void CFoliantDlg::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool enterOrEscape = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
  if (enterOrEscape && IsRenamingInTree()) {
    event->accept();
    return;
  }
  // Escape stops a scan, as the Stop button does; without one it closes.
  if (key == Qt::Key_Escape && workflow_->IsScanning()) {
    event->accept();
    workflow_->Stop();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CFoliantDlg::reject() {
  if (!workflow_->IsScanning()) {
    QDialog::reject();
    return;
  }
  if (quitWhenIdle_ || !prompter_.AskYesNo(PromptId::QuitWhileScanning, kQuitWhileScanning))
    return;
  quitWhenIdle_ = true;
  stopAsked_ = workflow_->Stop() || stopAsked_;
}

void CFoliantDlg::done(int result) {
  if (initialised_)
    WriteWindowPlacement(PlacementOf(*this));
  QDialog::done(result);
}

// The desktop gives no sign when nothing opens a document; the window does.
void CFoliantDlg::ShowNoViewer(const std::string& path) {
  prompter_.ShowError(PromptId::Other,
                      "No program could be started to open " + QString::fromStdString(path) +
                          ".  Install a viewer for this kind of file, or open it from your "
                          "file manager.");
}

// During a scan the button is the Stop button.
void CFoliantDlg::OnScanClicked() {
  if (workflow_->IsScanning()) {
    stopAsked_ = workflow_->Stop() || stopAsked_;
    return;
  }
  ClearScanStatus();
  stopAsked_ = false;
  workflow_->OnScanClicked();
}

void CFoliantDlg::DocumentSaved(const std::string& path,
                                const std::vector<std::string>& pageTexts) {
  search_->DocumentSaved(path, pageTexts);
  statusTimer_->stop();
  savedPath_ = path;
  savedPages_ = step_ == ScanStep::Combining ? stepPage_ : 1;
  controls_.status->ShowSaved(savedPath_, savedPages_, workflow_->PagesSetAside());
}

void CFoliantDlg::PageArrived(const void* dib, std::size_t size) {
  controls_.preview->SetPage(PagePreview(dib, size, kPreviewSide));
}

int CFoliantDlg::PageNumber() const {
  return workflow_->PageNumber();
}
