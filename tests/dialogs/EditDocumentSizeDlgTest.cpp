#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include "DialogTestHelpers.h"
#include "ScriptedPrompt.h"
#include "dialogs/EditDocumentSizeDlg.h"

namespace {

struct Editor {
  explicit Editor(Units units, std::int32_t width = 8500, std::int32_t height = 11000) {
    dlg.SetUnits(units);
    dlg.SetDescription("Letter");
    dlg.SetSize(width, height);
    dlg.show();
  }
  QLineEdit* Field(const char* name) { return Child<QLineEdit>(dlg, name); }
  void Type(const QString& width, const QString& height) {
    Field("widthEdit")->setText(width);
    Field("heightEdit")->setText(height);
  }

  EditDocumentSizeDlg dlg;
};

TEST(EditDocumentSizeDlg, ShowsTheSizeConvertedToTheDisplayUnit) {
  const struct {
    Units units;
    const char *width, *height, *unitName;
  } cases[] = {{Units::Inches, "8.5", "11", "inches"},
               {Units::Centimeters, "21.59", "27.94", "cm"},
               {Units::Millimeters, "215.9", "279.4", "mm"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unitName);
    Editor editor(c.units);
    EXPECT_EQ(editor.dlg.windowTitle(), "Document Size");
    EXPECT_EQ(editor.Field("descriptionEdit")->text(), "Letter");
    EXPECT_EQ(editor.Field("widthEdit")->text(), c.width);
    EXPECT_EQ(editor.Field("heightEdit")->text(), c.height);
    EXPECT_EQ(Child<QLabel>(editor.dlg, "widthUnitLabel")->text(), c.unitName);
    EXPECT_EQ(Child<QLabel>(editor.dlg, "heightUnitLabel")->text(), c.unitName);
  }
}

TEST(EditDocumentSizeDlg, RefusesLengthsThatAreNotNumbersInRange) {
  const QString between = "Enter a number between 0.1 and 1000.";
  const struct {
    const char *width, *height;
    QString message;
    const char* focused;
  } cases[] = {
      {"0.05", "11", between, "widthEdit"},       {"abc", "11", "Enter a number.", "widthEdit"},
      {"", "11", "Enter a number.", "widthEdit"}, {"1000.5", "11", between, "widthEdit"},
      {"-3", "11", between, "widthEdit"},         {"inf", "11", between, "widthEdit"},
      {"nan", "11", between, "widthEdit"},        {"8.5", "12 in", "Enter a number.", "heightEdit"},
      {"8.5", "0", between, "heightEdit"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    Editor editor(Units::Inches);
    ScriptedPrompt prompt;
    editor.Type(c.width, c.height);
    Click(editor.dlg, "okButton");
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked[0].text, c.message);
    EXPECT_TRUE(editor.dlg.isVisible());
    EXPECT_EQ(editor.dlg.focusWidget(), editor.Field(c.focused));
    EXPECT_EQ(editor.dlg.GetSize(), std::make_pair(8500, 11000)) << "nothing taken over";
  }
}

TEST(EditDocumentSizeDlg, AcceptsTheBoundsAndConvertsBack) {
  const struct {
    Units units;
    const char *width, *height;
    std::int32_t storedWidth, storedHeight;
  } cases[] = {{Units::Inches, "1000", "0.1", 1000000, 100},
               {Units::Inches, " 8.5 ", "11", 8500, 11000},
               {Units::Centimeters, "21.59", "21.6", 8500, 8504},
               {Units::Millimeters, "215.9", "279.4", 8500, 11000},
               {Units::Millimeters, "1000", "1e2", 39370, 3937}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    Editor editor(c.units, 0, 0);
    ScriptedPrompt prompt;
    editor.Field("descriptionEdit")->setText("Poster");
    editor.Type(c.width, c.height);
    Click(editor.dlg, "okButton");
    EXPECT_TRUE(prompt.asked.isEmpty());
    EXPECT_EQ(editor.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(editor.dlg.GetDescription(), "Poster");
    EXPECT_EQ(editor.dlg.GetSize(), std::make_pair(c.storedWidth, c.storedHeight));
  }
}

TEST(EditDocumentSizeDlg, UnchangedFieldsGiveBackTheSizeTheyShowed) {
  for (Units units : {Units::Inches, Units::Centimeters, Units::Millimeters}) {
    SCOPED_TRACE(static_cast<int>(units));
    Editor editor(units, 8268, 11693);
    Click(editor.dlg, "okButton");
    EXPECT_EQ(editor.dlg.GetSize(), std::make_pair(8268, 11693));
  }
}

TEST(EditDocumentSizeDlg, AcceptsTheUsersDecimalComma) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  Editor editor(Units::Centimeters, 0, 0);
  ScriptedPrompt prompt;
  editor.Type("21,59", "1.000");
  Click(editor.dlg, "okButton");
  QLocale::setDefault(QLocale::c());
  EXPECT_TRUE(prompt.asked.isEmpty());
  // "1.000" is one in any locale here: a full stop is always a decimal mark.
  EXPECT_EQ(editor.dlg.GetSize(), std::make_pair(8500, 394));
}

TEST(EditDocumentSizeDlg, CancelKeepsTheGivenValues) {
  Editor editor(Units::Inches);
  editor.Field("descriptionEdit")->setText("Other");
  editor.Type("1", "1");
  Click(editor.dlg, "cancelButton");
  EXPECT_EQ(editor.dlg.result(), QDialog::Rejected);
  EXPECT_EQ(editor.dlg.GetDescription(), "Letter");
  EXPECT_EQ(editor.dlg.GetSize(), std::make_pair(8500, 11000));
}

}  // namespace
