#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "DialogTestHelpers.h"
#include "ScriptedPrompt.h"
#include "core/ContractError.h"
#include "dialogs/AdvancedDlg.h"
#include "dialogs/EditDocumentSizeDlg.h"
#include "dialogs/FolderChooser.h"
#include "settings/AppSettings.h"

namespace {

const DocumentSizeCatalogue kSizes = {
    {"Statement (large)", 8500, 11000}, {"A4", 8268, 11693}, {"letter", 8500, 11000}};

class AdvancedDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dlg.SetOfferedResolutions(AppSettings::OfferedResolutions());
    dlg.SetResolution(200);
    dlg.SetOfferedPixelTypes(AppSettings::OfferedPixelTypes());
    dlg.SetPixelType(PixelType::ColorHigh);
    dlg.SetOfferedFileFormats(AppSettings::OfferedFileFormatTypes());
    dlg.SetFileFormatType(FileFormatType::Tiff);
    dlg.SetUnits(Units::Inches);
    dlg.SetDocumentSizes(kSizes);
    dlg.SetArchiveRootFolder("/home/user/Documents/Docketeer/");
    dlg.SetViewAfterSaving(true);
    dlg.SetUseDefaultViewer(false);
    dlg.SetUpdateDestinationAfterScanning(true);
    dlg.SetScannerOrigin(ScannerOrigin::TopLeft);
  }
  void TearDown() override { FolderChooser::SetResponder({}); }

  QStringList ListTexts() {
    QStringList texts;
    auto* list = Child<QListWidget>(dlg, "sizeList");
    for (int row = 0; row < list->count(); ++row)
      texts << list->item(row)->text();
    return texts;
  }
  QString SelectedText() {
    auto* item = Child<QListWidget>(dlg, "sizeList")->currentItem();
    return item ? item->text() : QString();
  }
  QString SizeLabel() { return Child<QLabel>(dlg, "sizeLabel")->text(); }
  void SelectRow(const QString& text) {
    auto* list = Child<QListWidget>(dlg, "sizeList");
    list->setCurrentItem(list->findItems(text, Qt::MatchExactly).value(0));
  }
  // Answers the size editor with the given texts and OK.
  void EditorAnswers(const QString& description, const QString& width, const QString& height,
                     QString* shownDescription = nullptr) {
    dlg.SetSizeEditor([=](EditDocumentSizeDlg& editor) {
      editor.show();
      if (shownDescription)
        *shownDescription = Child<QLineEdit>(editor, "descriptionEdit")->text();
      Child<QLineEdit>(editor, "descriptionEdit")->setText(description);
      Child<QLineEdit>(editor, "widthEdit")->setText(width);
      Child<QLineEdit>(editor, "heightEdit")->setText(height);
      Click(editor, "okButton");
      return editor.result();
    });
  }
  void ChooseResolution(const QString& text) {
    auto* combo = Child<QComboBox>(dlg, "resolutionCombo");
    const int index = combo->findText(text);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }

  AdvancedDlg dlg;
};

TEST_F(AdvancedDlgTest, ShowsTheValuesItWasGiven) {
  dlg.show();
  EXPECT_EQ(Child<QComboBox>(dlg, "resolutionCombo")->currentText(), "200");
  EXPECT_EQ(Child<QComboBox>(dlg, "resolutionCombo")->count(), 10);
  EXPECT_EQ(Child<QComboBox>(dlg, "pixelTypeCombo")->itemText(0), "Black and White");
  EXPECT_EQ(Child<QComboBox>(dlg, "pixelTypeCombo")->currentText(), "Color (high)");
  EXPECT_EQ(Child<QComboBox>(dlg, "fileFormatCombo")->currentText(), "TIFF");
  EXPECT_EQ(Child<QComboBox>(dlg, "fileFormatCombo")->findText("TIFF (LZW)"), -1);
  EXPECT_TRUE(Child<QRadioButton>(dlg, "inchesRadio")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(dlg, "viewAfterSavingCheck")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(dlg, "useDefaultViewerCheck")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(dlg, "updateDestinationCheck")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(dlg, "topLeftRadio")->isChecked());
  EXPECT_EQ(Child<QLabel>(dlg, "archiveRootLabel")->text(), "/home/user/Documents/Docketeer/");
  EXPECT_EQ(ListTexts(), (QStringList{"A4", "letter", "Statement (large)"}));
  EXPECT_EQ(SelectedText(), "A4");
  EXPECT_EQ(SizeLabel(), "8.268\" x 11.693\"");
  EXPECT_EQ(dlg.windowTitle(), "Advanced Settings");
}

TEST_F(AdvancedDlgTest, OkReadsEveryControlBack) {
  dlg.show();
  Child<QComboBox>(dlg, "resolutionCombo")->setCurrentIndex(5);
  Child<QComboBox>(dlg, "pixelTypeCombo")->setCurrentIndex(1);
  Child<QComboBox>(dlg, "fileFormatCombo")->setCurrentIndex(6);
  Click(dlg, "centimetersRadio");
  Click(dlg, "viewAfterSavingCheck");
  Click(dlg, "useDefaultViewerCheck");
  Click(dlg, "updateDestinationCheck");
  Click(dlg, "bottomRightRadio");
  Click(dlg, "okButton");
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.GetResolution(), 600);
  EXPECT_EQ(dlg.GetPixelType(), PixelType::Gray);
  EXPECT_EQ(dlg.GetFileFormatType(), FileFormatType::PdfUncompressed);
  EXPECT_EQ(dlg.GetUnits(), Units::Centimeters);
  EXPECT_FALSE(dlg.GetViewAfterSaving());
  EXPECT_TRUE(dlg.GetUseDefaultViewer());
  EXPECT_FALSE(dlg.GetUpdateDestinationAfterScanning());
  EXPECT_EQ(dlg.GetScannerOrigin(), ScannerOrigin::BottomRight);
  EXPECT_EQ(dlg.GetDocumentSizes(), kSizes);
}

TEST_F(AdvancedDlgTest, CleanupForNewFoldersIsShownAndReadBackOnOkOnly) {
  dlg.SetNewFolderCleanup({true, false, true});
  dlg.show();
  EXPECT_TRUE(Child<QCheckBox>(dlg, "newFolderSkipBlankCheck")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(dlg, "newFolderUprightCheck")->isChecked());
  Click(dlg, "newFolderUprightCheck");
  Click(dlg, "newFolderDeskewCheck");
  Click(dlg, "okButton");
  EXPECT_EQ(dlg.GetNewFolderCleanup(), (CleanupChoices{true, true, false}));
}

TEST_F(AdvancedDlgTest, WarnsOnlyForResolutionsOf1200AndAbove) {
  const struct {
    const char* choice;
    int warnings;
  } cases[] = {{"600", 0}, {"1200", 1}, {"9600", 1}, {"75", 0}};
  dlg.show();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.choice);
    ScriptedPrompt prompt;
    ChooseResolution(c.choice);
    ASSERT_EQ(prompt.asked.size(), c.warnings);
    if (c.warnings) {
      EXPECT_TRUE(prompt.asked[0].text.startsWith(
          "It is strongly recommended you not select a resolution of 1200 DPI or greater"));
      EXPECT_EQ(prompt.asked[0].buttons, PromptButtons::Ok);
    }
    EXPECT_EQ(Child<QComboBox>(dlg, "resolutionCombo")->currentText(), c.choice);
  }
  Click(dlg, "okButton");
  EXPECT_EQ(dlg.GetResolution(), 75);
}

TEST_F(AdvancedDlgTest, UnitsChangeTheSizeLabelAtOnce) {
  dlg.show();
  SelectRow("letter");
  Click(dlg, "millimetersRadio");
  EXPECT_EQ(SizeLabel(), "215.9mm x 279.4mm");
  Click(dlg, "centimetersRadio");
  EXPECT_EQ(SizeLabel(), "21.59cm x 27.94cm");
  Click(dlg, "cancelButton");
  EXPECT_EQ(dlg.GetUnits(), Units::Inches);
  EXPECT_EQ(dlg.GetDocumentSizes(), kSizes);
}

TEST_F(AdvancedDlgTest, AddedSizeIsListedInOrderAndSelected) {
  QString shownDescription;
  EditorAnswers("Statement", "5.5", "8.5", &shownDescription);
  dlg.show();
  SelectRow("letter");
  Click(dlg, "addSizeButton");
  EXPECT_EQ(shownDescription, "Enter description here");
  EXPECT_EQ(ListTexts(), (QStringList{"A4", "letter", "Statement", "Statement (large)"}));
  EXPECT_EQ(SelectedText(), "Statement");
  EXPECT_EQ(SizeLabel(), "5.5\" x 8.5\"");
  Click(dlg, "okButton");
  ASSERT_EQ(dlg.GetDocumentSizes().size(), 4u);
  EXPECT_EQ(dlg.GetDocumentSizes().back(), DocumentSize("Statement", 5500, 8500));
}

TEST_F(AdvancedDlgTest, NewSizeIsSelectedEvenWhenItsNameBeginsTheFirstEntry) {
  EditorAnswers("A", "1", "2");
  dlg.show();
  Click(dlg, "addSizeButton");
  EXPECT_EQ(ListTexts().first(), "A");
  EXPECT_EQ(SelectedText(), "A");
  EXPECT_EQ(SizeLabel(), "1\" x 2\"");
}

TEST_F(AdvancedDlgTest, AddStartsFromTheSelectedSizeInTheShownUnits) {
  dlg.SetSizeEditor([](EditDocumentSizeDlg& editor) {
    EXPECT_EQ(editor.GetUnits(), Units::Millimeters);
    EXPECT_NEAR(editor.GetDisplayWidth(), 215.9, 1e-9);
    EXPECT_NEAR(editor.GetDisplayHeight(), 279.4, 1e-9);
    return int(QDialog::Rejected);
  });
  dlg.show();
  SelectRow("letter");
  Click(dlg, "millimetersRadio");
  Click(dlg, "addSizeButton");
  EXPECT_EQ(ListTexts().size(), 3);
  EXPECT_EQ(SelectedText(), "letter");
}

TEST_F(AdvancedDlgTest, EditReplacesTheSelectedRecordOnly) {
  QString shownDescription;
  EditorAnswers("Legal", "8.5", "14", &shownDescription);
  dlg.show();
  SelectRow("letter");
  Click(dlg, "editSizeButton");
  EXPECT_EQ(shownDescription, "letter");
  EXPECT_EQ(SelectedText(), "Legal");
  EXPECT_EQ(SizeLabel(), "8.5\" x 14\"");
  Click(dlg, "okButton");
  DocumentSizeCatalogue expected = kSizes;
  expected[2] = DocumentSize("Legal", 8500, 14000);
  EXPECT_EQ(dlg.GetDocumentSizes(), expected);
}

TEST_F(AdvancedDlgTest, DeleteAsksAndRemovesOnlyOnYes) {
  dlg.show();
  SelectRow("letter");
  {
    ScriptedPrompt prompt({PromptAnswer::No});
    Click(dlg, "deleteSizeButton");
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked[0].text, "Are you sure you want to delete letter");
    EXPECT_EQ(prompt.asked[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(ListTexts().size(), 3);
  }
  ScriptedPrompt prompt({PromptAnswer::Yes});
  Click(dlg, "deleteSizeButton");
  EXPECT_EQ(ListTexts(), (QStringList{"A4", "Statement (large)"}));
  EXPECT_EQ(SelectedText(), "A4");
  Click(dlg, "okButton");
  EXPECT_EQ(dlg.GetDocumentSizes(), (DocumentSizeCatalogue{kSizes[0], kSizes[1]}));
}

TEST_F(AdvancedDlgTest, DeletingTheOnlySizeLeavesZeroByZero) {
  dlg.SetDocumentSizes({{"Letter", 8500, 11000}});
  dlg.SetUnits(Units::Centimeters);
  dlg.show();
  ScriptedPrompt prompt({PromptAnswer::Yes});
  Click(dlg, "deleteSizeButton");
  EXPECT_TRUE(ListTexts().isEmpty());
  EXPECT_EQ(SizeLabel(), "0cm x 0cm");
  Click(dlg, "inchesRadio");
  EXPECT_EQ(SizeLabel(), "0\" x 0\"");
}

TEST_F(AdvancedDlgTest, WithoutSelectionEditOpensNothingAndDeleteRemovesNothing) {
  int editorRuns = 0;
  dlg.SetSizeEditor([&](EditDocumentSizeDlg&) { return ++editorRuns, int(QDialog::Accepted); });
  dlg.show();
  Child<QListWidget>(dlg, "sizeList")->clearSelection();
  Click(dlg, "editSizeButton");
  EXPECT_EQ(editorRuns, 0);
  ScriptedPrompt prompt({PromptAnswer::Yes});
  Click(dlg, "deleteSizeButton");
  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].text, "Are you sure you want to delete ");
  EXPECT_EQ(ListTexts().size(), 3);
}

TEST_F(AdvancedDlgTest, CancelKeepsEverythingAsItWasGiven) {
  EditorAnswers("Receipt", "3", "8");
  FolderChooser::SetResponder([](QWidget*, const QString&, const QString&) { return "/srv"; });
  dlg.show();
  Click(dlg, "addSizeButton");
  Click(dlg, "editSizeButton");
  ScriptedPrompt prompt({PromptAnswer::Yes});
  Click(dlg, "deleteSizeButton");
  Click(dlg, "browseButton");
  Click(dlg, "bottomLeftRadio");
  Click(dlg, "cancelButton");
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(dlg.GetDocumentSizes(), kSizes);
  EXPECT_EQ(dlg.GetArchiveRootFolder(), "/home/user/Documents/Docketeer/");
  EXPECT_EQ(dlg.GetScannerOrigin(), ScannerOrigin::TopLeft);
  // Shown again, the dialog starts from the given values, not the abandoned edits.
  dlg.show();
  EXPECT_EQ(ListTexts().size(), 3);
}

TEST_F(AdvancedDlgTest, OriginRadioButtonsMapToTheirValues) {
  const struct {
    int origin;
    const char* radio;
    ScannerOrigin readBack;
  } cases[] = {{0, "unknownOriginRadio", ScannerOrigin::Unknown},
               {1, "topLeftRadio", ScannerOrigin::TopLeft},
               {2, "topRightRadio", ScannerOrigin::TopRight},
               {3, "bottomLeftRadio", ScannerOrigin::BottomLeft},
               {4, "bottomRightRadio", ScannerOrigin::BottomRight},
               {9, "unknownOriginRadio", ScannerOrigin::Unknown}};
  for (const auto& c : cases) {
    AdvancedDlg dialog;
    dialog.SetOfferedResolutions({200});
    dialog.SetResolution(200);
    dialog.SetOfferedPixelTypes({PixelType::ColorHigh});
    dialog.SetOfferedFileFormats({FileFormatType::Bmp});
    dialog.SetScannerOrigin(static_cast<ScannerOrigin>(c.origin));
    dialog.show();
    EXPECT_TRUE(Child<QRadioButton>(dialog, c.radio)->isChecked()) << c.origin;
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.GetScannerOrigin(), c.readBack) << c.origin;
  }
}

TEST_F(AdvancedDlgTest, ValuesThatAreNotOfferedShowTheNearestOrFirstChoice) {
  const struct {
    int resolution, pixelType, fileFormat;
    const char *shownResolution, *shownPixelType, *shownFormat;
  } cases[] = {{250, 9, 4, "200", "Black and White", "BMP"},
               {0, -1, 99, "75", "Black and White", "BMP"},
               {100000, 1, 6, "9600", "Color (low)", "PDF (compressed)"},
               {1100, 0, 0, "1200", "Color (high)", "BMP"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.resolution << " dpi, pixel type " << c.pixelType
                                    << ", format " << c.fileFormat);
    SetUp();
    dlg.SetResolution(c.resolution);
    // Values beyond the enumerations can only come from a cast.
    dlg.SetPixelType(static_cast<PixelType>(c.pixelType));
    dlg.SetFileFormatType(static_cast<FileFormatType>(c.fileFormat));
    dlg.show();
    EXPECT_EQ(Child<QComboBox>(dlg, "resolutionCombo")->currentText(), c.shownResolution);
    EXPECT_EQ(Child<QComboBox>(dlg, "pixelTypeCombo")->currentText(), c.shownPixelType);
    EXPECT_EQ(Child<QComboBox>(dlg, "fileFormatCombo")->currentText(), c.shownFormat);
    Click(dlg, "okButton");
    EXPECT_EQ(QString::number(dlg.GetResolution()), c.shownResolution);
  }
}

TEST_F(AdvancedDlgTest, BrowseReplacesTheRootOnlyWhenAFolderIsChosen) {
  QStringList asked;
  QString answer = "/srv/archive";
  FolderChooser::SetResponder([&](QWidget* parent, const QString& caption, const QString& start) {
    EXPECT_EQ(parent, &dlg);
    asked << caption + " | " + start;
    return answer;
  });
  dlg.show();
  Click(dlg, "browseButton");
  EXPECT_EQ(Child<QLabel>(dlg, "archiveRootLabel")->text(), "/srv/archive/");
  answer.clear();
  Click(dlg, "browseButton");
  EXPECT_EQ(Child<QLabel>(dlg, "archiveRootLabel")->text(), "/srv/archive/");
  EXPECT_EQ(asked, (QStringList{"Select a directory... | /home/user/Documents/Docketeer/",
                                "Select a directory... | /srv/archive/"}));
  Click(dlg, "okButton");
  EXPECT_EQ(dlg.GetArchiveRootFolder(), "/srv/archive/");
}

TEST_F(AdvancedDlgTest, TheRealEditorRunsModallyFromAdd) {
  dlg.show();
  WhenModalShown([](QWidget& modal) {
    ASSERT_EQ(modal.objectName(), "EditDocumentSizeDlg");
    Child<QLineEdit>(modal, "descriptionEdit")->setText("Card");
    Child<QLineEdit>(modal, "widthEdit")->setText("3.5");
    Child<QLineEdit>(modal, "heightEdit")->setText("2");
    Click(modal, "okButton");
  });
  Click(dlg, "addSizeButton");
  EXPECT_EQ(SelectedText(), "Card");
  EXPECT_EQ(SizeLabel(), "3.5\" x 2\"");
}

TEST_F(AdvancedDlgTest, TabOrderFollowsTheLayout) {
  dlg.show();
  const char* chain[] = {"resolutionCombo",
                         "pixelTypeCombo",
                         "fileFormatCombo",
                         "inchesRadio",
                         "centimetersRadio",
                         "millimetersRadio",
                         "viewAfterSavingCheck",
                         "useDefaultViewerCheck",
                         "updateDestinationCheck",
                         "sizeList",
                         "addSizeButton",
                         "editSizeButton",
                         "deleteSizeButton",
                         "topLeftRadio",
                         "topRightRadio",
                         "bottomLeftRadio",
                         "bottomRightRadio",
                         "unknownOriginRadio",
                         "browseButton",
                         "searchablePdfCheck",
                         "recognitionLanguageCombo",
                         "newFolderSkipBlankCheck",
                         "newFolderUprightCheck",
                         "newFolderDeskewCheck",
                         "okButton",
                         "cancelButton"};
  QWidget* widget = Child<QWidget>(dlg, chain[0]);
  for (const char* next : chain) {
    while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty()) {
      widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(widget->objectName(), next);
    widget = widget->nextInFocusChain();
  }
}

TEST(AdvancedDlgContract, RefusesResolutionsThatAreNotPositive) {
  AdvancedDlg dlg;
  EXPECT_THROW(dlg.SetOfferedResolutions({200, 0}), postcondition_error);
}

}  // namespace

// The language list holds what is installed; a chosen language that is not
// installed is shown as missing (never silently replaced), and OK reads the
// user's choice back.
TEST_F(AdvancedDlgTest, RecognitionLanguageListMarksAMissingChoice) {
  dlg.SetOfferedRecognitionLanguages({"deu", "eng"});
  dlg.SetMakePdfSearchable(true);
  dlg.SetRecognitionLanguage("fra");
  dlg.show();
  auto* combo = Child<QComboBox>(dlg, "recognitionLanguageCombo");
  auto* note = Child<QLabel>(dlg, "recognitionLanguageNote");
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "German (deu)");
  EXPECT_EQ(combo->currentText(), "fra (not installed)");
  EXPECT_TRUE(note->isVisible());
  EXPECT_TRUE(note->text().contains("\"fra\" is not installed"));

  combo->setCurrentIndex(combo->findData("deu"));
  EXPECT_FALSE(note->isVisible());
  Child<QCheckBox>(dlg, "searchablePdfCheck")->setChecked(false);
  EXPECT_FALSE(combo->isEnabled());
  Click(dlg, "okButton");
  EXPECT_FALSE(dlg.GetMakePdfSearchable());
  EXPECT_EQ(dlg.GetRecognitionLanguage(), "deu");
}

TEST_F(AdvancedDlgTest, WithoutLanguagesSearchablePdfCannotBeTurnedOn) {
  dlg.SetOfferedRecognitionLanguages({});
  dlg.SetMakePdfSearchable(false);
  dlg.SetRecognitionLanguage("eng");
  dlg.show();
  EXPECT_FALSE(Child<QCheckBox>(dlg, "searchablePdfCheck")->isEnabled());
  EXPECT_TRUE(Child<QLabel>(dlg, "recognitionLanguageNote")->text().contains("No recognition"));
  Click(dlg, "okButton");
  EXPECT_FALSE(dlg.GetMakePdfSearchable());
}
