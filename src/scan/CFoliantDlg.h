#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileFormatType.h"
#include "core/PixelType.h"
#include "naming/FileNameFormat.h"
#include "platform/Prompt.h"
#include "scan/MainWindowControls.h"
#include "settings/AppSettings.h"
#include "settings/DocumentSizeCatalogue.h"
#include "settings/PerFolderPreferences.h"
#include "settings/ScannerOrigin.h"
#include "settings/Units.h"
#include "twain/TwainManager.h"
#include "workflow/ArchiveCommands.h"
#include "workflow/ScanWorkflow.h"
#include "workflow/ScanWorkflowHost.h"

// The main window: the three steps of the work (destination, document size,
// scan), the settings snapshot and the choices of the selected folder. The
// scan itself belongs to the workflow; this window shows and keeps choices.
class ArchiveSearch;
class QTimer;

class CFoliantDlg : public QDialog, public ScanWorkflowHost {
  Q_OBJECT

 public:
  explicit CFoliantDlg(QWidget* parent = nullptr);
  ~CFoliantDlg() override;

  // Runs once, when the window is first shown.
  void OnInitDialog();

  std::string GetDestinationFolder() const;
  std::string GetDocumentFolder() const;
  bool IsContainerFormat() const;

  void LoadSettings();
  void SaveSettings() override;
  void LoadFolderPreferences();
  void SaveFolderPreferences() override;
  void ReadControls() override;
  void UpdateControls();
  void FillControls();
  void UpdateTitleAndPreview();
  void QueryScannerGeometry();

  // ScanWorkflowHost
  bool IsDestinationSelected() const override;
  std::string DestinationNameText() const override;
  void SelectSource() override;
  ScanChoices Choices() const override;
  void FocusDestinationName(bool selectAll) override;
  void ReloadFolderPreferences() override;
  void DestinationNameChanged(const std::string& name) override;
  void ShowPagesSetAside(const std::string& notice) override;
  std::optional<ScanAreaSize> GlassSize() const override;
  void DocumentSaved(const std::string& path, const std::vector<std::string>& pageTexts) override;
  void PageArrived(const void* dib, std::size_t size) override;

  TwainManager& ScanManager() { return scanManager_; }
  // Tests answer the next-page dialog and watch the viewer through these;
  // seams left empty are the window's own.
  void SetScanWorkflowSeams(ScanWorkflowSeams seams);
  const ScanWorkflow& Workflow() const { return *workflow_; }

  // Closing while a scan runs asks first; a stop then closes once it ended.
  void reject() override;

  // The tree's archive commands, on its selection; each returns 1.
  int OnCombineToTiff();
  int ConvertToPdf(bool compressed);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  void ConnectControls();
  void InitializeScanManager();
  void CreateDefaultHierarchyWhenNew();
  bool PreTranslateMessage(QEvent* message);
  bool IsRenamingInTree() const;
  std::string ScannerName();
  void SelectSizeEntry();
  void SaveFolderChoices(const std::string& folder, const FolderChoices& choices);
  int PageNumber() const;

  void UseWorkflow(ScanWorkflowSeams seams);
  void OnScanClicked();
  void OnScanStep(ScanStep step, int pageNumber);
  void OnScanStateChanged(ScanState to);
  void ShowScanButtonAsStop(bool stop);
  void RefreshRecognitionStatus();
  void ClearScanStatus();
  void ShowNoViewer(const std::string& path);
  void OnDestinationChanged();
  void OnNameFormatChanged();
  void OnDocumentSizeChanged();
  void OnSelectSource();
  void OnAdvancedSettings();
  void OnHelp();
  void OnAbout();
  void ViewSelectedFile();
  void ExploreDestination();

  WindowPrompter prompter_{this};
  TwainManager scanManager_;
  std::unique_ptr<ScanWorkflow> workflow_;
  MainWindowControls controls_;
  ArchiveSearch* search_ = nullptr;  // a child of the window
  ArchiveCommands archiveCommands_;
  bool initialised_ = false;

  // The status line's state: the step under way and the document last saved.
  QTimer* statusTimer_ = nullptr;
  ScanStep step_ = ScanStep::Scanning;
  int stepPage_ = 0;
  std::string savedPath_;
  int savedPages_ = 0;
  bool stopAsked_ = false;
  bool quitWhenIdle_ = false;

  bool showScannerUi_ = false;
  bool viewAfterSaving_ = true;
  bool useDefaultViewer_ = false;
  bool updateDestinationAfterScanning_ = true;
  std::string archiveRootFolder_;
  Units units_ = Units::Inches;
  FileFormatType fileFormatType_ = FileFormatType::Tiff;
  PixelType pixelType_ = PixelType::ColorHigh;
  std::int32_t resolution_ = 200;
  bool sizeListStale_ = true;
  bool documentSizesChanged_ = false;
  std::string defaultArchiveRootFolder_;
  DocumentSizeCatalogue documentSizes_;
  decltype(AppSettings::OfferedFileFormatTypes()) offeredFileFormats_;
  decltype(AppSettings::OfferedPixelTypes()) offeredPixelTypes_;
  std::vector<std::int32_t> offeredResolutions_;
  std::vector<FileNameFormat> nameFormats_;
  FileNameFormat nameFormat_;
  FileNameFormat savedNameFormat_;
  std::string proposedName_;  // the name the folder's format proposed at the last load
  std::string destinationName_;
  bool isMultiPageDocument_ = false;
  bool rotateNinety_ = false;
  CleanupChoices cleanup_;
  DocumentSize documentSize_;
  ScannerOrigin scannerOrigin_ = ScannerOrigin::Unknown;
  std::int32_t scannerWidth_ = 0;
  std::int32_t scannerHeight_ = 0;
};
