// The window's settings snapshot, the choices of the selected folder and the
// scanner's geometry.
#include <QCheckBox>
#include <QLineEdit>
#include <exception>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "dialogs/WritePermissionsDlg.h"
#include "platform/Prompt.h"
#include "scan/CFoliantDlg.h"
#include "scan/PageFolderChoices.h"
#include "settings/PerFolderPreferences.h"
#include "tree/CTreeFileCtrl.h"

namespace {

// The scan manager as the settings see it when they need the glass size.
class ManagerSourceSize : public IDataSourceSize {
 public:
  explicit ManagerSourceSize(TwainManager& manager) : manager_(manager) {}
  ScanAreaSize GetDataSourceSize() override {
    const DataSourceSize size = manager_.GetDataSourceSize();
    return {size.width, size.height};
  }

 private:
  TwainManager& manager_;
};

const QString kScannerCommunicationError =
    QStringLiteral("Error communicating with scanner.  Please check connections and try again.");

}  // namespace

void CFoliantDlg::LoadSettings() {
  Log(LOG_LOCATION, "CFoliantDlg::LoadSettings()");
  const AppSettings settings;
  showScannerUi_ = settings.GetShowScannerUi();
  archiveRootFolder_ = settings.GetArchiveRootFolder();
  viewAfterSaving_ = settings.GetViewAfterSaving();
  useDefaultViewer_ = settings.GetUseDefaultViewer();
  updateDestinationAfterScanning_ = settings.GetUpdateDestinationAfterScanning();
  units_ = settings.GetUnits();
  fileFormatType_ = settings.GetFileFormatType();
  pixelType_ = settings.GetPixelType();
  resolution_ = settings.GetResolution();
  defaultArchiveRootFolder_ = AppSettings::DefaultArchiveRootFolder();
  offeredFileFormats_ = AppSettings::OfferedFileFormatTypes();
  offeredPixelTypes_ = AppSettings::OfferedPixelTypes();
  offeredResolutions_ = AppSettings::OfferedResolutions();
  nameFormats_ = AppSettings::OfferedNameFormats();
  documentSizes_ = LoadDocumentSizes();
  documentSizesChanged_ = false;
  sizeListStale_ = true;
}

void CFoliantDlg::SaveSettings() {
  Log(LOG_LOCATION, "CFoliantDlg::SaveSettings()");
  {
    AppSettings settings;
    settings.SetShowScannerUi(showScannerUi_);
    settings.SetArchiveRootFolder(archiveRootFolder_);
    settings.SetViewAfterSaving(viewAfterSaving_);
    settings.SetUseDefaultViewer(useDefaultViewer_);
    settings.SetUpdateDestinationAfterScanning(updateDestinationAfterScanning_);
    settings.SetUnits(units_);
    settings.SetFileFormatType(fileFormatType_);
    settings.SetPixelType(pixelType_);
    settings.SetResolution(resolution_);
  }
  // The catalogue is shared by every user of the machine: it is rewritten
  // only when it was edited, and an edit that could not be saved is kept
  // for the next save rather than lost in silence.
  if (!documentSizesChanged_)
    return;
  if (SaveDocumentSizes(documentSizes_)) {
    documentSizesChanged_ = false;
    return;
  }
  Log(LOG_LOCATION, "CFoliantDlg::SaveSettings(): document sizes not saved to %s",
      DocumentSizesPath().c_str());
  Prompt::ShowError(this, PromptId::Other,
                    QStringLiteral("The document sizes could not be saved to %1.")
                        .arg(QString::fromStdString(DocumentSizesPath())));
}

void CFoliantDlg::LoadFolderPreferences() {
  Log(LOG_LOCATION, "CFoliantDlg::LoadFolderPreferences()");
  const FolderChoices choices =
      PerFolderPreferences(GetDestinationFolder()).ReadAll(AppSettings().GetNewFolderCleanup());
  savedNameFormat_ = choices.format;
  nameFormat_ = choices.format;
  destinationName_ = nameFormat_.NextName(choices.lastDestination);
  proposedName_ = destinationName_;
  isMultiPageDocument_ = choices.multiPage;
  rotateNinety_ = choices.rotateNinety;
  cleanup_ = choices.cleanup;
  documentSize_ = choices.documentSize;
}

void CFoliantDlg::SaveFolderPreferences() {
  Log(LOG_LOCATION, "CFoliantDlg::SaveFolderPreferences()");
  SaveFolderChoices(GetDestinationFolder(),
                    FolderChoices{nameFormat_, destinationName_, isMultiPageDocument_,
                                  rotateNinety_, documentSize_, cleanup_});
  savedNameFormat_ = nameFormat_;
  // A document combined into one file has no folder left to describe.
  if (!isMultiPageDocument_ || !FileExists(GetDocumentFolder()))
    return;
  // The last page the document holds: the folder's format proposes the one after it.
  SaveFolderChoices(GetDocumentFolder(),
                    PageFolderChoices(PageNumber() - 1, rotateNinety_, documentSize_));
}

// Asks for write access while the file refuses it; the choices are written
// in any case, and what the file refuses is lost without a further message.
void CFoliantDlg::SaveFolderChoices(const std::string& folder, const FolderChoices& choices) {
  const PerFolderPreferences preferences(folder);
  WritePermissionsDlg::AskUntilWritable(this, QString::fromStdString(preferences.FilePath()),
                                        [&preferences] { return preferences.CanWrite(); });
  preferences.WriteAll(choices);
}

std::string CFoliantDlg::ScannerName() {
  return scanManager_.IsDataSourceSelected() ? scanManager_.GetDataSourceName() : std::string();
}

void CFoliantDlg::QueryScannerGeometry() {
  Log(LOG_LOCATION, "CFoliantDlg::QueryScannerGeometry()");
  AppSettings settings;
  const std::string scanner = ScannerName();
  ScanAreaSize area = AppSettings::DefaultScanArea();
  try {
    ManagerSourceSize source(scanManager_);
    area = settings.GetScanArea(scanner, source);
  } catch (const std::exception&) {
    // A scanner unplugged since it was chosen cannot tell its glass; the
    // default area is drawn and the program goes on.
    Log(LOG_LOCATION, "CFoliantDlg::QueryScannerGeometry(): Caught exception");
    Prompt::ShowError(this, PromptId::ScannerError, kScannerCommunicationError);
  }
  scannerWidth_ = area.width;
  scannerHeight_ = area.height;
  scannerOrigin_ = settings.GetScannerOrigin(scanner);
}

// Only a glass the scanner told (or the user measured) refuses a size; the
// default area drawn for an unknown scanner does not.
std::optional<ScanAreaSize> CFoliantDlg::GlassSize() const {
  if (scannerOrigin_ == ScannerOrigin::Unknown || scannerWidth_ <= 0 || scannerHeight_ <= 0)
    return std::nullopt;
  return ScanAreaSize{scannerWidth_, scannerHeight_};
}

void CFoliantDlg::OnSelectSource() {
  Log(LOG_LOCATION, "CFoliantDlg::OnSelectSource()");
  try {
    scanManager_.SelectDataSource();
  } catch (const std::exception&) {
    // The manager keeps the source chosen before; the user may try again.
    Log(LOG_LOCATION, "CFoliantDlg::OnSelectSource(): Caught exception");
    Prompt::ShowError(this, PromptId::ScannerError, kScannerCommunicationError);
  }
  QueryScannerGeometry();
  UpdateTitleAndPreview();
  UpdateControls();
}

std::string CFoliantDlg::GetDestinationFolder() const {
  std::string path = controls_.tree->GetSelectedPath();
  if (controls_.tree->IsFile(path)) {
    const std::size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash);
  }
  return EnsureTrailingSeparator(path);
}

std::string CFoliantDlg::GetDocumentFolder() const {
  return EnsureTrailingSeparator(GetDestinationFolder() +
                                 controls_.destinationName->text().toStdString());
}

bool CFoliantDlg::IsContainerFormat() const {
  return ::IsContainerFormat(fileFormatType_);
}
