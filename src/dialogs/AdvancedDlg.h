#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CleanupChoices.h"
#include "core/FileFormatType.h"
#include "core/PixelType.h"
#include "dialogs/OfferedChoiceNames.h"
#include "settings/DocumentSizeCatalogue.h"
#include "settings/ScannerOrigin.h"
#include "settings/Units.h"

class DocumentSizeListBox;
class EditDocumentSizeDlg;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// "Advanced Settings": the settings that are not on the main window. The
// caller sets every value, shows the dialog and on OK reads them back; Cancel
// leaves every getter as it was set, the document sizes included.
class AdvancedDlg : public QDialog {
  Q_OBJECT

 public:
  explicit AdvancedDlg(QWidget* parent = nullptr);

  // Every offered resolution must be above 0.
  void SetOfferedResolutions(const std::vector<std::int32_t>& resolutions);
  void SetResolution(std::int32_t resolution) { resolution_ = resolution; }
  std::int32_t GetResolution() const { return resolution_; }
  void SetOfferedPixelTypes(const std::vector<PixelType>& pixelTypes);
  void SetPixelType(PixelType pixelType) { pixelType_ = pixelType; }
  PixelType GetPixelType() const { return pixelType_; }
  void SetOfferedFileFormats(const std::vector<FileFormatType>& fileFormats);
  void SetFileFormatType(FileFormatType fileFormatType) { fileFormatType_ = fileFormatType; }
  FileFormatType GetFileFormatType() const { return fileFormatType_; }
  void SetUnits(Units units) { units_ = units; }
  Units GetUnits() const { return units_; }
  void SetDocumentSizes(const DocumentSizeCatalogue& sizes) { documentSizes_ = sizes; }
  DocumentSizeCatalogue GetDocumentSizes() const { return documentSizes_; }
  void SetArchiveRootFolder(const std::string& folder) { archiveRootFolder_ = folder; }
  std::string GetArchiveRootFolder() const { return archiveRootFolder_; }
  void SetViewAfterSaving(bool view) { viewAfterSaving_ = view; }
  bool GetViewAfterSaving() const { return viewAfterSaving_; }
  void SetUseDefaultViewer(bool useDefault) { useDefaultViewer_ = useDefault; }
  bool GetUseDefaultViewer() const { return useDefaultViewer_; }
  void SetUpdateDestinationAfterScanning(bool update) { updateDestination_ = update; }
  bool GetUpdateDestinationAfterScanning() const { return updateDestination_; }
  void SetScannerOrigin(ScannerOrigin origin) { scannerOrigin_ = origin; }
  ScannerOrigin GetScannerOrigin() const { return scannerOrigin_; }
  // Text recognition: the languages installed, and the chosen one, which is
  // shown as missing when it is not among them.
  void SetOfferedRecognitionLanguages(const std::vector<std::string>& languages) {
    offeredLanguages_ = languages;
  }
  void SetMakePdfSearchable(bool searchable) { makePdfSearchable_ = searchable; }
  bool GetMakePdfSearchable() const { return makePdfSearchable_; }
  void SetRecognitionLanguage(const std::string& language) { recognitionLanguage_ = language; }
  std::string GetRecognitionLanguage() const { return recognitionLanguage_; }
  // The page clean-up a folder starts with until the user chooses its own.
  void SetNewFolderCleanup(const CleanupChoices& cleanup);
  CleanupChoices GetNewFolderCleanup() const { return newFolderCleanup_; }

  // Runs the size editor for Add and Edit; the default shows it modally.
  using SizeEditor = std::function<int(EditDocumentSizeDlg& editor)>;
  void SetSizeEditor(SizeEditor editor) { sizeEditor_ = std::move(editor); }

  // Reads the controls back into the values.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QGroupBox* BuildOutputFileGroup();
  QGroupBox* BuildUnitsGroup();
  QGroupBox* BuildViewingGroup();
  QGroupBox* BuildSizesGroup();
  QGroupBox* BuildOriginGroup();
  QGroupBox* BuildArchiveGroup();
  QGroupBox* BuildCleanupGroup();
  QGroupBox* BuildRecognitionGroup();
  void FillRecognition();
  void UpdateRecognitionControls();
  QWidget* BuildButtons();
  void SetTabOrder();

  void OnInitDialog();
  void FillResolutions();
  void FillChoices(QComboBox* combo, const std::vector<OfferedChoice>& offered,
                   std::int32_t current, const char* what);
  void FillSizeList();
  void UpdateSizeLabel();
  void OnResolutionSelected(int index);
  void OnUnitsClicked(int units);
  void OnAddSize();
  void OnEditSize();
  void OnDeleteSize();
  void OnBrowse();
  bool RunSizeEditor(const QString& description, const DocumentSize& size, DocumentSize& edited);

  std::vector<std::int32_t> offeredResolutions_;
  std::vector<PixelType> offeredPixelTypes_;
  std::vector<FileFormatType> offeredFileFormats_;
  std::int32_t resolution_ = 0;
  PixelType pixelType_ = PixelType::ColorHigh;
  FileFormatType fileFormatType_ = FileFormatType::Bmp;
  Units units_ = Units::Inches;
  DocumentSizeCatalogue documentSizes_;
  std::string archiveRootFolder_;
  bool viewAfterSaving_ = true;
  bool useDefaultViewer_ = false;
  bool updateDestination_ = false;
  ScannerOrigin scannerOrigin_ = ScannerOrigin::Unknown;
  std::vector<std::string> offeredLanguages_;
  bool makePdfSearchable_ = false;
  CleanupChoices newFolderCleanup_;
  std::string recognitionLanguage_;
  SizeEditor sizeEditor_;

  // What the user is changing; taken over by the values above only on OK.
  Units shownUnits_ = Units::Inches;
  DocumentSizeCatalogue editedSizes_;
  std::string editedArchiveRootFolder_;

  QComboBox* resolutionCombo_ = nullptr;
  QComboBox* pixelTypeCombo_ = nullptr;
  QComboBox* fileFormatCombo_ = nullptr;
  QButtonGroup* unitsGroup_ = nullptr;
  QCheckBox* viewAfterSavingCheck_ = nullptr;
  QCheckBox* useDefaultViewerCheck_ = nullptr;
  QCheckBox* updateDestinationCheck_ = nullptr;
  DocumentSizeListBox* sizeList_ = nullptr;
  QLabel* sizeLabel_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* editButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QButtonGroup* originGroup_ = nullptr;
  QLabel* archiveRootLabel_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QCheckBox* searchableCheck_ = nullptr;
  QCheckBox* skipBlankCheck_ = nullptr;
  QCheckBox* uprightCheck_ = nullptr;
  QCheckBox* deskewCheck_ = nullptr;
  QComboBox* languageCombo_ = nullptr;
  QLabel* languageNote_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};
