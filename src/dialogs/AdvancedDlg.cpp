#include "dialogs/AdvancedDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "dialogs/DialogControls.h"
#include "dialogs/DocumentSizeListBox.h"
#include "dialogs/EditDocumentSizeDlg.h"
#include "dialogs/FolderChooser.h"
#include "dialogs/OfferedChoiceNames.h"
#include "ocr/RecognitionLanguages.h"
#include "platform/Prompt.h"
#include "settings/SizeCaption.h"

namespace {

constexpr std::int32_t kWarnedResolution = 1200;

QComboBox* NewChoiceCombo(const char* objectName) {
  auto* combo = new QComboBox;
  combo->setObjectName(objectName);
  combo->setMinimumWidth(130);
  return combo;
}

QRadioButton* AddRadio(QButtonGroup* group, int id, const QString& text, const char* objectName) {
  auto* radio = new QRadioButton(text);
  radio->setObjectName(objectName);
  group->addButton(radio, id);
  return radio;
}

QCheckBox* NewCheck(const QString& text, const char* objectName) {
  auto* check = new QCheckBox(text);
  check->setObjectName(objectName);
  return check;
}

QPushButton* NewButton(const QString& text, const char* objectName) {
  auto* button = new QPushButton(text);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

// The value of the selected entry; every entry was filled from a known value.
template <typename FromValue>
auto ChosenValue(const QComboBox* combo, FromValue fromValue) {
  const auto value = fromValue(combo->currentData().toInt());
  CheckPostcondition(CONTRACT_LOCATION, value.has_value());
  return *value;
}

// The offered resolution closest to `resolution`; the lower one on a tie.
std::int32_t NearestResolution(const std::vector<std::int32_t>& offered, std::int32_t resolution) {
  std::int32_t nearest = offered.front();
  for (std::int32_t value : offered) {
    if (std::llabs(static_cast<long long>(value) - resolution) <
        std::llabs(static_cast<long long>(nearest) - resolution)) {
      nearest = value;
    }
  }
  return nearest;
}

}  // namespace

AdvancedDlg::AdvancedDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("AdvancedDlg");
  setWindowTitle("Advanced Settings");

  auto* grid = new QGridLayout(this);
  grid->addWidget(BuildOutputFileGroup(), 0, 0);
  grid->addWidget(BuildUnitsGroup(), 0, 1);
  grid->addWidget(BuildViewingGroup(), 0, 2);
  grid->addWidget(BuildSizesGroup(), 1, 0, 1, 2);
  grid->addWidget(BuildOriginGroup(), 1, 2);
  grid->addWidget(BuildArchiveGroup(), 2, 0, 1, 2);
  grid->addWidget(BuildRecognitionGroup(), 3, 0, 1, 2);
  grid->addWidget(BuildCleanupGroup(), 2, 2, 2, 1);
  grid->addWidget(BuildButtons(), 2, 2, 2, 1, Qt::AlignRight | Qt::AlignBottom);
  SetTabOrder();
}

QGroupBox* AdvancedDlg::BuildOutputFileGroup() {
  resolutionCombo_ = NewChoiceCombo("resolutionCombo");
  pixelTypeCombo_ = NewChoiceCombo("pixelTypeCombo");
  fileFormatCombo_ = NewChoiceCombo("fileFormatCombo");
  connect(resolutionCombo_, &QComboBox::activated, this, &AdvancedDlg::OnResolutionSelected);

  auto* group = new QGroupBox("Output File");
  group->setObjectName("outputFileGroup");
  auto* layout = new QGridLayout(group);
  layout->addWidget(NewBuddyLabel("&Resolution:", resolutionCombo_), 0, 0);
  layout->addWidget(resolutionCombo_, 0, 1);
  layout->addWidget(NewBuddyLabel("&Colors:", pixelTypeCombo_), 1, 0);
  layout->addWidget(pixelTypeCombo_, 1, 1);
  layout->addWidget(NewBuddyLabel("&File Format:", fileFormatCombo_), 2, 0);
  layout->addWidget(fileFormatCombo_, 2, 1);
  return group;
}

QGroupBox* AdvancedDlg::BuildUnitsGroup() {
  auto* group = new QGroupBox("Display Units");
  group->setObjectName("displayUnitsGroup");
  unitsGroup_ = new QButtonGroup(this);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(AddRadio(unitsGroup_, 0, "&Inches", "inchesRadio"));
  layout->addWidget(AddRadio(unitsGroup_, 1, "C&entimeters", "centimetersRadio"));
  layout->addWidget(AddRadio(unitsGroup_, 2, "&Millimeters", "millimetersRadio"));
  connect(unitsGroup_, &QButtonGroup::idClicked, this, &AdvancedDlg::OnUnitsClicked);
  return group;
}

QGroupBox* AdvancedDlg::BuildViewingGroup() {
  viewAfterSavingCheck_ = NewCheck("&View each page after scanning", "viewAfterSavingCheck");
  useDefaultViewerCheck_ = NewCheck("&Use default file viewer", "useDefaultViewerCheck");
  updateDestinationCheck_ = NewCheck("Update destination after scanning", "updateDestinationCheck");
  auto* group = new QGroupBox("Viewing and Scanning Preferences");
  group->setObjectName("viewingGroup");
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(viewAfterSavingCheck_);
  layout->addWidget(useDefaultViewerCheck_);
  layout->addWidget(updateDestinationCheck_);
  return group;
}

QGroupBox* AdvancedDlg::BuildSizesGroup() {
  sizeList_ = new DocumentSizeListBox;
  sizeList_->setObjectName("sizeList");
  sizeLabel_ = new QLabel;
  sizeLabel_->setObjectName("sizeLabel");
  sizeLabel_->setAlignment(Qt::AlignCenter);
  sizeLabel_->setMinimumWidth(150);
  addButton_ = NewButton("A&dd...", "addSizeButton");
  editButton_ = NewButton("Edi&t...", "editSizeButton");
  deleteButton_ = NewButton("De&lete...", "deleteSizeButton");
  connect(sizeList_, &QListWidget::itemSelectionChanged, this, &AdvancedDlg::UpdateSizeLabel);
  connect(addButton_, &QPushButton::clicked, this, &AdvancedDlg::OnAddSize);
  connect(editButton_, &QPushButton::clicked, this, &AdvancedDlg::OnEditSize);
  connect(deleteButton_, &QPushButton::clicked, this, &AdvancedDlg::OnDeleteSize);

  auto* side = new QVBoxLayout;
  side->addWidget(sizeLabel_);
  side->addSpacing(8);
  for (QPushButton* button : {addButton_, editButton_, deleteButton_}) {
    side->addWidget(button, 0, Qt::AlignHCenter);
  }
  side->addStretch();
  auto* group = new QGroupBox("&Available Document Sizes");
  group->setObjectName("documentSizesGroup");
  auto* layout = new QHBoxLayout(group);
  layout->addWidget(sizeList_, 1);
  layout->addLayout(side);
  return group;
}

QGroupBox* AdvancedDlg::BuildOriginGroup() {
  originGroup_ = new QButtonGroup(this);
  auto* group = new QGroupBox("Scanner Origin");
  group->setObjectName("scannerOriginGroup");
  auto* corners = new QGridLayout;
  corners->addWidget(AddRadio(originGroup_, 1, "T&op Left", "topLeftRadio"), 0, 0);
  corners->addWidget(AddRadio(originGroup_, 2, "To&p Right", "topRightRadio"), 0, 1);
  corners->addWidget(AddRadio(originGroup_, 3, "Bottom &Left", "bottomLeftRadio"), 1, 0);
  corners->addWidget(AddRadio(originGroup_, 4, "Bottom Ri&ght", "bottomRightRadio"), 1, 1);
  corners->addWidget(AddRadio(originGroup_, 0, "U&nknown", "unknownOriginRadio"), 2, 0, 1, 2,
                     Qt::AlignHCenter);
  auto* note = new QLabel(
      "Note: Scanner origin is usually indicated by an arrow near one corner of the scanner "
      "glass.  This setting is determined by the manufacturer, and is not user-settable.");
  note->setObjectName("scannerOriginNote");
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(group);
  layout->addLayout(corners);
  layout->addWidget(note);
  layout->addStretch();
  return group;
}

QGroupBox* AdvancedDlg::BuildArchiveGroup() {
  archiveRootLabel_ = new QLabel;
  archiveRootLabel_->setObjectName("archiveRootLabel");
  // A long path must not stretch the dialog; the whole path is in the tool tip.
  archiveRootLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  archiveRootLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  browseButton_ = NewButton("&Browse...", "browseButton");
  connect(browseButton_, &QPushButton::clicked, this, &AdvancedDlg::OnBrowse);
  auto* group = new QGroupBox("Archive Root Folder");
  group->setObjectName("archiveRootGroup");
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(archiveRootLabel_);
  layout->addWidget(browseButton_, 0, Qt::AlignLeft);
  return group;
}

QGroupBox* AdvancedDlg::BuildRecognitionGroup() {
  searchableCheck_ = NewCheck("Make PDF documents &searchable", "searchablePdfCheck");
  languageCombo_ = NewChoiceCombo("recognitionLanguageCombo");
  languageNote_ = new QLabel;
  languageNote_->setObjectName("recognitionLanguageNote");
  languageNote_->setWordWrap(true);
  connect(searchableCheck_, &QCheckBox::toggled, this, [this] { UpdateRecognitionControls(); });
  connect(languageCombo_, &QComboBox::currentIndexChanged, this,
          [this] { UpdateRecognitionControls(); });
  auto* group = new QGroupBox("Text Recognition");
  group->setObjectName("recognitionGroup");
  auto* layout = new QGridLayout(group);
  layout->addWidget(searchableCheck_, 0, 0, 1, 2);
  layout->addWidget(NewBuddyLabel("Recognition &language:", languageCombo_), 1, 0);
  layout->addWidget(languageCombo_, 1, 1);
  layout->addWidget(languageNote_, 2, 0, 1, 2);
  return group;
}

QGroupBox* AdvancedDlg::BuildCleanupGroup() {
  skipBlankCheck_ = NewCheck("Set aside blan&k pages", "newFolderSkipBlankCheck");
  uprightCheck_ = NewCheck("Turn pages uprig&ht", "newFolderUprightCheck");
  deskewCheck_ = NewCheck("Straighten pages", "newFolderDeskewCheck");
  auto* group = new QGroupBox("Clean-up for New Folders");
  group->setObjectName("newFolderCleanupGroup");
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(skipBlankCheck_);
  layout->addWidget(uprightCheck_);
  layout->addWidget(deskewCheck_);
  layout->addStretch();
  return group;
}

void AdvancedDlg::SetNewFolderCleanup(const CleanupChoices& cleanup) {
  newFolderCleanup_ = cleanup;
  skipBlankCheck_->setChecked(cleanup.skipBlank);
  uprightCheck_->setChecked(cleanup.upright);
  deskewCheck_->setChecked(cleanup.deskew);
}

// A chosen language that is not installed stays in the list, marked, so the
// user sees why documents come out without text instead of a silent switch.
void AdvancedDlg::FillRecognition() {
  languageCombo_->clear();
  for (const std::string& code : offeredLanguages_)
    languageCombo_->addItem(QString::fromStdString(RecognitionLanguageName(code)),
                            QString::fromStdString(code));
  const QString current = QString::fromStdString(recognitionLanguage_);
  if (!current.isEmpty() && languageCombo_->findData(current) < 0)
    languageCombo_->addItem(current + " (not installed)", current);
  languageCombo_->setCurrentIndex(std::max(0, languageCombo_->findData(current)));
  searchableCheck_->setChecked(makePdfSearchable_);
  UpdateRecognitionControls();
}

void AdvancedDlg::UpdateRecognitionControls() {
  const bool none = offeredLanguages_.empty();
  searchableCheck_->setEnabled(!none || searchableCheck_->isChecked());
  languageCombo_->setEnabled(searchableCheck_->isChecked() && languageCombo_->count() > 0);
  const QString chosen = languageCombo_->currentData().toString();
  QString note;
  if (none)
    note = "No recognition language is installed, so PDF documents cannot be made searchable.";
  else if (!chosen.isEmpty() &&
           std::ranges::find(offeredLanguages_, chosen.toStdString()) == offeredLanguages_.end())
    note = "The language \"" + chosen + "\" is not installed.  Choose an installed language.";
  languageNote_->setText(note);
  languageNote_->setVisible(!note.isEmpty());
}

QWidget* AdvancedDlg::BuildButtons() {
  auto* buttons = NewOkCancelButtons(this, Qt::Vertical);
  okButton_ = buttons->button(QDialogButtonBox::Ok);
  cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
  return buttons;
}

void AdvancedDlg::SetTabOrder() {
  QList<QWidget*> chain = {resolutionCombo_, pixelTypeCombo_, fileFormatCombo_};
  for (QAbstractButton* radio : unitsGroup_->buttons())
    chain << radio;
  chain << viewAfterSavingCheck_ << useDefaultViewerCheck_ << updateDestinationCheck_ << sizeList_
        << addButton_ << editButton_ << deleteButton_;
  for (QAbstractButton* radio : originGroup_->buttons())
    chain << radio;
  chain << browseButton_ << searchableCheck_ << languageCombo_ << skipBlankCheck_ << uprightCheck_
        << deskewCheck_ << okButton_ << cancelButton_;
  for (int i = 1; i < chain.size(); ++i)
    setTabOrder(chain[i - 1], chain[i]);
}

void AdvancedDlg::SetOfferedResolutions(const std::vector<std::int32_t>& resolutions) {
  for (std::int32_t resolution : resolutions) {
    CheckPostcondition(CONTRACT_LOCATION, resolution > 0);
  }
  offeredResolutions_ = resolutions;
}

void AdvancedDlg::SetOfferedPixelTypes(const std::vector<PixelType>& pixelTypes) {
  offeredPixelTypes_ = pixelTypes;
}

void AdvancedDlg::SetOfferedFileFormats(const std::vector<FileFormatType>& fileFormats) {
  offeredFileFormats_ = fileFormats;
}

void AdvancedDlg::showEvent(QShowEvent* event) {
  if (!event->spontaneous())
    OnInitDialog();
  QDialog::showEvent(event);
}

void AdvancedDlg::OnInitDialog() {
  Log(LOG_LOCATION, "AdvancedDlg::OnInitDialog()");
  FillResolutions();
  FillChoices(pixelTypeCombo_, PixelTypeChoices(offeredPixelTypes_), PixelTypeValue(pixelType_),
              "pixel type");
  FillChoices(fileFormatCombo_, FileFormatChoices(offeredFileFormats_),
              FileFormatTypeValue(fileFormatType_), "file format");
  CheckPostcondition(CONTRACT_LOCATION, IsValidUnits(static_cast<std::int32_t>(units_)));
  shownUnits_ = units_;
  unitsGroup_->button(static_cast<int>(units_))->setChecked(true);
  editedArchiveRootFolder_ = archiveRootFolder_;
  archiveRootLabel_->setText(QString::fromStdString(archiveRootFolder_));
  archiveRootLabel_->setToolTip(archiveRootLabel_->text());
  editedSizes_ = documentSizes_;
  FillSizeList();
  UpdateSizeLabel();
  viewAfterSavingCheck_->setChecked(viewAfterSaving_);
  useDefaultViewerCheck_->setChecked(useDefaultViewer_);
  updateDestinationCheck_->setChecked(updateDestination_);
  // An origin the dialog cannot show is shown, and read back, as unknown.
  QAbstractButton* origin = originGroup_->button(static_cast<int>(scannerOrigin_));
  (origin ? origin : originGroup_->button(0))->setChecked(true);
  FillRecognition();
}

void AdvancedDlg::FillResolutions() {
  resolutionCombo_->clear();
  for (std::int32_t resolution : offeredResolutions_) {
    resolutionCombo_->addItem(QString::number(resolution), resolution);
  }
  if (offeredResolutions_.empty())
    return;
  // A stored resolution that is no longer offered shows as the nearest offered one.
  const std::int32_t shown = NearestResolution(offeredResolutions_, resolution_);
  if (shown != resolution_) {
    Log(LOG_LOCATION, "AdvancedDlg::OnInitDialog(): resolution %d is not offered, showing %d",
        resolution_, shown);
  }
  resolutionCombo_->setCurrentIndex(resolutionCombo_->findData(shown));
}

void AdvancedDlg::FillChoices(QComboBox* combo, const std::vector<OfferedChoice>& offered,
                              std::int32_t current, const char* what) {
  combo->clear();
  for (const OfferedChoice& choice : offered) {
    CheckPostcondition(CONTRACT_LOCATION, choice.name.has_value());
    combo->addItem(*choice.name, choice.value);
  }
  if (offered.empty())
    return;
  int index = combo->findData(current);
  if (index < 0) {
    Log(LOG_LOCATION, "AdvancedDlg::OnInitDialog(): %s %d is not offered, showing %s", what,
        current, combo->itemText(0).toUtf8().constData());
    index = 0;
  }
  combo->setCurrentIndex(index);
}

void AdvancedDlg::FillSizeList() {
  sizeList_->Fill(editedSizes_);
}

void AdvancedDlg::UpdateSizeLabel() {
  const int index = sizeList_->SelectedSizeIndex();
  const DocumentSize size = index >= 0 ? editedSizes_[index] : DocumentSize();
  sizeLabel_->setText(QString::fromStdString(SizeCaption(size, shownUnits_)));
}

void AdvancedDlg::OnResolutionSelected(int index) {
  if (resolutionCombo_->itemData(index).toInt() < kWarnedResolution)
    return;
  Log(LOG_LOCATION, "AdvancedDlg::OnResolutionSelected(): %d dpi",
      resolutionCombo_->itemData(index).toInt());
  Prompt::Ask(this, {"It is strongly recommended you not select a resolution of 1200 DPI or "
                     "greater as this can result in very large file sizes, failure to scan, or "
                     "Docketeer and your computer not responding for an extended period of time.",
                     {},
                     PromptButtons::Ok,
                     PromptIcon::Warning});
}

void AdvancedDlg::OnUnitsClicked(int units) {
  shownUnits_ = static_cast<Units>(units);
  UpdateSizeLabel();
}

bool AdvancedDlg::RunSizeEditor(const QString& description, const DocumentSize& size,
                                DocumentSize& edited) {
  EditDocumentSizeDlg editor(this);
  editor.SetUnits(shownUnits_);
  editor.SetDescription(description);
  editor.SetSize(size.Width(), size.Height());
  const int result = sizeEditor_ ? sizeEditor_(editor) : editor.exec();
  if (result != QDialog::Accepted)
    return false;
  const auto [width, height] = editor.GetSize();
  edited = DocumentSize(editor.GetDescription().toStdString(), width, height);
  return true;
}

void AdvancedDlg::OnAddSize() {
  Log(LOG_LOCATION, "AdvancedDlg::OnAddSize()");
  const int selected = sizeList_->SelectedSizeIndex();
  const DocumentSize start = selected >= 0 ? editedSizes_[selected] : DocumentSize();
  DocumentSize added;
  if (!RunSizeEditor("Enter description here", start, added))
    return;
  editedSizes_.push_back(added);
  FillSizeList();
  // Selected by its index, not its text, so a description that begins another one still
  // selects the new entry.
  sizeList_->SelectSizeIndex(static_cast<int>(editedSizes_.size()) - 1);
  UpdateSizeLabel();
}

void AdvancedDlg::OnEditSize() {
  Log(LOG_LOCATION, "AdvancedDlg::OnEditSize()");
  const int selected = sizeList_->SelectedSizeIndex();
  // Without a selection there is nothing to edit, and typing into an editor whose
  // result would be thrown away helps no one.
  if (selected < 0)
    return;
  DocumentSize edited;
  const DocumentSize& current = editedSizes_[selected];
  if (!RunSizeEditor(QString::fromStdString(current.Name()), current, edited))
    return;
  editedSizes_[selected] = edited;
  FillSizeList();
  sizeList_->SelectSizeIndex(selected);
  UpdateSizeLabel();
}

void AdvancedDlg::OnDeleteSize() {
  const int selected = sizeList_->SelectedSizeIndex();
  const QString name =
      selected >= 0 ? QString::fromStdString(editedSizes_[selected].Name()) : QString();
  Log(LOG_LOCATION, "AdvancedDlg::OnDeleteSize(): %s", name.toUtf8().constData());
  if (!Prompt::AskYesNo(this, PromptId::Other, "Are you sure you want to delete " + name))
    return;
  if (selected >= 0)
    editedSizes_.erase(editedSizes_.begin() + selected);
  FillSizeList();
  UpdateSizeLabel();
}

void AdvancedDlg::OnBrowse() {
  Log(LOG_LOCATION, "AdvancedDlg::OnBrowse()");
  const QString chosen = FolderChooser::Choose(this, "Select a directory...",
                                               QString::fromStdString(editedArchiveRootFolder_));
  if (chosen.isEmpty())
    return;
  editedArchiveRootFolder_ = EnsureTrailingSeparator(chosen.toStdString());
  archiveRootLabel_->setText(QString::fromStdString(editedArchiveRootFolder_));
  archiveRootLabel_->setToolTip(archiveRootLabel_->text());
}

void AdvancedDlg::accept() {
  Log(LOG_LOCATION, "AdvancedDlg::OnOK()");
  for (QComboBox* combo : {resolutionCombo_, pixelTypeCombo_, fileFormatCombo_}) {
    CheckPostcondition(CONTRACT_LOCATION, combo->currentIndex() >= 0);
  }
  CheckPostcondition(CONTRACT_LOCATION,
                     unitsGroup_->checkedId() >= 0 && originGroup_->checkedId() >= 0);
  resolution_ = resolutionCombo_->currentData().toInt();
  pixelType_ = ChosenValue(pixelTypeCombo_, PixelTypeFromValue);
  fileFormatType_ = ChosenValue(fileFormatCombo_, FileFormatTypeFromValue);
  units_ = static_cast<Units>(unitsGroup_->checkedId());
  viewAfterSaving_ = viewAfterSavingCheck_->isChecked();
  useDefaultViewer_ = useDefaultViewerCheck_->isChecked();
  updateDestination_ = updateDestinationCheck_->isChecked();
  scannerOrigin_ = static_cast<ScannerOrigin>(originGroup_->checkedId());
  documentSizes_ = editedSizes_;
  archiveRootFolder_ = editedArchiveRootFolder_;
  makePdfSearchable_ = searchableCheck_->isChecked();
  newFolderCleanup_ = {skipBlankCheck_->isChecked(), uprightCheck_->isChecked(),
                       deskewCheck_->isChecked()};
  if (languageCombo_->currentIndex() >= 0)
    recognitionLanguage_ = languageCombo_->currentData().toString().toStdString();
  QDialog::accept();
}
