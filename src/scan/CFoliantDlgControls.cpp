// The window's fields shown in its controls and read back from them, and the
// handlers of the controls.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <numeric>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "dialogs/AdvancedDlg.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/DocumentSizePreviewWnd.h"
#include "ocr/RecognitionLanguages.h"
#include "platform/Prompt.h"
#include "scan/ArchiveSearch.h"
#include "scan/CFoliantDlg.h"
#include "scan/HelpLauncher.h"
#include "settings/SizeCaption.h"
#include "tree/CTreeFileCtrl.h"
#include "writers/shell/DesktopHelpers.h"

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// List controls find entries without regard to letter case.
bool SameText(const QString& a, const std::string& b) {
  return a.compare(Text(b), Qt::CaseInsensitive) == 0;
}

// A checked box; the indeterminate state does not count.
bool IsTicked(const QCheckBox* box) {
  return box->checkState() == Qt::Checked;
}

}  // namespace

void CFoliantDlg::ReadControls() {
  Log(LOG_LOCATION, "CFoliantDlg::ReadControls()");
  const MainWindowControls& c = controls_;
  const QVariant format = c.destinationFormat->currentData();
  if (c.destinationFormat->currentIndex() >= 0 && format.isValid())
    nameFormat_ = nameFormats_.at(format.toUInt());
  isMultiPageDocument_ = IsTicked(c.multiPage);
  rotateNinety_ = IsTicked(c.rotateNinety);
  cleanup_ = {IsTicked(c.skipBlank), IsTicked(c.upright), IsTicked(c.deskew)};
  if (const QListWidgetItem* size = c.sizeList->currentItem())
    documentSize_ = documentSizes_.at(size->data(Qt::UserRole).toUInt());
  destinationName_ = c.destinationName->text().toStdString();
}

void CFoliantDlg::UpdateControls() {
  Log(LOG_LOCATION, "CFoliantDlg::UpdateControls()");
  const MainWindowControls& c = controls_;
  {
    const QSignalBlocker quiet(c.destinationFormat);
    const QString shown = Text(nameFormat_.BaseName());
    const int found = c.destinationFormat->findText(shown, Qt::MatchFixedString);
    c.destinationFormat->setCurrentIndex(found >= 0 ? found : 0);
  }
  c.multiPage->setChecked(isMultiPageDocument_);
  c.rotateNinety->setChecked(rotateNinety_);
  c.skipBlank->setChecked(cleanup_.skipBlank);
  c.upright->setChecked(cleanup_.upright);
  c.deskew->setChecked(cleanup_.deskew);
  SelectSizeEntry();
  c.preview->SetDocumentSize(documentSize_.Width(), documentSize_.Height());
  c.sizeLabel->setText(Text(SizeCaption(documentSize_, units_)));
  c.destinationName->setText(Text(destinationName_));
}

// The entry named like the document size, or the first; the document size
// takes the catalogue's dimensions and keeps its own name.
void CFoliantDlg::SelectSizeEntry() {
  QListWidget* list = controls_.sizeList;
  if (list->count() == 0)
    return;
  int row = 0;
  for (int i = 0; i < list->count(); ++i) {
    if (SameText(list->item(i)->text(), documentSize_.Name())) {
      row = i;
      break;
    }
  }
  {
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
  }
  const DocumentSize& entry = documentSizes_.at(list->item(row)->data(Qt::UserRole).toUInt());
  documentSize_.SetSize(entry.Width(), entry.Height());
}

void CFoliantDlg::FillControls() {
  Log(LOG_LOCATION, "CFoliantDlg::FillControls()");
  const MainWindowControls& c = controls_;
  if (c.destinationFormat->count() == 0) {
    const QSignalBlocker quiet(c.destinationFormat);
    for (std::size_t i = 0; i < nameFormats_.size(); ++i)
      c.destinationFormat->addItem(Text(nameFormats_[i].BaseName()), static_cast<uint>(i));
  }
  if (sizeListStale_) {
    // Sorted by name, as a sorted list box shows them; each entry keeps its
    // place in the catalogue.
    std::vector<std::size_t> order(documentSizes_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
      return Text(documentSizes_[a].Name())
                 .compare(Text(documentSizes_[b].Name()), Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker quiet(c.sizeList);
    c.sizeList->clear();
    for (std::size_t index : order) {
      auto* item = new QListWidgetItem(Text(documentSizes_[index].Name()));
      item->setData(Qt::UserRole, static_cast<uint>(index));
      c.sizeList->addItem(item);
    }
    sizeListStale_ = false;
  }
  c.showScannerUi->setChecked(showScannerUi_);
  if (EnsureTrailingSeparator(c.tree->GetRoot()) != archiveRootFolder_)
    c.tree->SetRoot(archiveRootFolder_);
  search_->Follow(archiveRootFolder_);
  const QString caption = Text(SizeCaption(documentSize_, units_));
  if (c.sizeLabel->text() != caption)
    c.sizeLabel->setText(caption);
}

void CFoliantDlg::UpdateTitleAndPreview() {
  Log(LOG_LOCATION, "CFoliantDlg::UpdateTitleAndPreview()");
  controls_.preview->SetScannerSize(scannerWidth_, scannerHeight_);
  controls_.preview->SetOrigin(scannerOrigin_);
  QString title = QStringLiteral("Docketeer");
  if (scanManager_.IsDataSourceSelected())
    title += QStringLiteral(" - ") + Text(scanManager_.GetDataSourceName());
  setWindowTitle(title);
}

void CFoliantDlg::OnDestinationChanged() {
  Log(LOG_LOCATION, "CFoliantDlg::OnDestinationChanged()");
  if (!workflow_->IsScanning())
    ClearScanStatus();
  LoadFolderPreferences();
  UpdateControls();
}

void CFoliantDlg::OnNameFormatChanged() {
  Log(LOG_LOCATION, "CFoliantDlg::OnNameFormatChanged()");
  const QVariant format = controls_.destinationFormat->currentData();
  if (controls_.destinationFormat->currentIndex() >= 0 && format.isValid())
    controls_.destinationName->setText(Text(nameFormats_.at(format.toUInt()).NextName("")));
  ReadControls();
  UpdateControls();
}

void CFoliantDlg::OnDocumentSizeChanged() {
  Log(LOG_LOCATION, "CFoliantDlg::OnDocumentSizeChanged()");
  ReadControls();
  UpdateControls();
}

void CFoliantDlg::OnAdvancedSettings() {
  Log(LOG_LOCATION, "CFoliantDlg::OnAdvancedSettings()");
  AdvancedDlg dialog(this);
  dialog.SetOfferedResolutions(offeredResolutions_);
  dialog.SetResolution(resolution_);
  dialog.SetOfferedPixelTypes(offeredPixelTypes_);
  dialog.SetPixelType(pixelType_);
  dialog.SetOfferedFileFormats(offeredFileFormats_);
  dialog.SetFileFormatType(fileFormatType_);
  dialog.SetUnits(units_);
  dialog.SetDocumentSizes(documentSizes_);
  dialog.SetArchiveRootFolder(archiveRootFolder_);
  dialog.SetViewAfterSaving(viewAfterSaving_);
  dialog.SetUseDefaultViewer(useDefaultViewer_);
  dialog.SetUpdateDestinationAfterScanning(updateDestinationAfterScanning_);
  dialog.SetScannerOrigin(scannerOrigin_);
  AppSettings stored;
  dialog.SetOfferedRecognitionLanguages(InstalledRecognitionLanguages());
  dialog.SetMakePdfSearchable(stored.GetMakePdfSearchable());
  dialog.SetRecognitionLanguage(stored.GetRecognitionLanguage());
  dialog.SetNewFolderCleanup(stored.GetNewFolderCleanup());
  if (dialog.exec() != QDialog::Accepted)
    return;
  stored.SetMakePdfSearchable(dialog.GetMakePdfSearchable());
  stored.SetRecognitionLanguage(dialog.GetRecognitionLanguage());
  stored.SetNewFolderCleanup(dialog.GetNewFolderCleanup());
  resolution_ = dialog.GetResolution();
  pixelType_ = dialog.GetPixelType();
  fileFormatType_ = dialog.GetFileFormatType();
  units_ = dialog.GetUnits();
  if (dialog.GetDocumentSizes() != documentSizes_) {
    documentSizes_ = dialog.GetDocumentSizes();
    sizeListStale_ = true;
    documentSizesChanged_ = true;
  }
  archiveRootFolder_ = EnsureTrailingSeparator(dialog.GetArchiveRootFolder());
  viewAfterSaving_ = dialog.GetViewAfterSaving();
  useDefaultViewer_ = dialog.GetUseDefaultViewer();
  updateDestinationAfterScanning_ = dialog.GetUpdateDestinationAfterScanning();
  scannerOrigin_ = dialog.GetScannerOrigin();
  SaveSettings();
  AppSettings().SetScannerOrigin(ScannerName(), scannerOrigin_);
  QueryScannerGeometry();
  FillControls();
  UpdateTitleAndPreview();
}

void CFoliantDlg::OnHelp() {
  Log(LOG_LOCATION, "CFoliantDlg::OnHelp()");
  if (!LaunchHelp())
    Prompt::ShowError(this, PromptId::Other, QStringLiteral("Failed to launch help."));
}

void CFoliantDlg::OnAbout() {
  Log(LOG_LOCATION, "CFoliantDlg::OnAbout()");
  CAboutDlg about(this);
  about.SetGuide(FindHelpIndex());
  about.exec();
}

void CFoliantDlg::ViewSelectedFile() {
  Log(LOG_LOCATION, "CFoliantDlg::ViewSelectedFile()");
  const std::string path = controls_.tree->GetSelectedPath();
  if (controls_.tree->IsFile(path) && !ViewFile(path, useDefaultViewer_, false, this))
    ShowNoViewer(path);
}

void CFoliantDlg::ExploreDestination() {
  Log(LOG_LOCATION, "CFoliantDlg::ExploreDestination()");
  ExploreFolder(GetDestinationFolder());
}

int CFoliantDlg::OnCombineToTiff() {
  return archiveCommands_.OnCombineToTiff(GetDestinationFolder(), documentSize_.Width(),
                                          documentSize_.Height(),
                                          {viewAfterSaving_, useDefaultViewer_});
}

int CFoliantDlg::ConvertToPdf(bool compressed) {
  return archiveCommands_.ConvertToPdf(compressed, controls_.tree->GetSelectedPath(),
                                       {viewAfterSaving_, useDefaultViewer_});
}

bool CFoliantDlg::IsDestinationSelected() const {
  return !controls_.tree->GetSelectedPath().empty();
}

std::string CFoliantDlg::DestinationNameText() const {
  return controls_.destinationName->text().toStdString();
}

void CFoliantDlg::SelectSource() {
  OnSelectSource();
}

ScanChoices CFoliantDlg::Choices() const {
  ScanChoices choices;
  choices.destinationFolder = GetDestinationFolder();
  choices.destinationName = destinationName_;
  choices.fileFormatType = fileFormatType_;
  choices.isMultiPageDocument = isMultiPageDocument_;
  choices.rotateNinety = rotateNinety_;
  choices.cleanup = cleanup_;
  choices.documentSize = documentSize_;
  choices.resolution = resolution_;
  choices.pixelType = pixelType_;
  choices.showScannerUi = showScannerUi_;
  choices.viewAfterSaving = viewAfterSaving_;
  choices.useDefaultViewer = useDefaultViewer_;
  choices.updateDestinationAfterScanning = updateDestinationAfterScanning_;
  if (destinationName_ == proposedName_)
    choices.nameSeries = nameFormat_;
  return choices;
}

void CFoliantDlg::FocusDestinationName(bool selectAll) {
  controls_.destinationName->setFocus();
  if (selectAll)
    controls_.destinationName->selectAll();
}

void CFoliantDlg::ReloadFolderPreferences() {
  LoadFolderPreferences();
  UpdateControls();
}

void CFoliantDlg::DestinationNameChanged(const std::string& name) {
  destinationName_ = name;
  proposedName_ = name;
  controls_.destinationName->setText(QString::fromStdString(name));
}
