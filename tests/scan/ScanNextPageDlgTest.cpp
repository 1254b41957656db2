#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/ContractError.h"
#include "scan/ScanNextPageDlg.h"

namespace {

QPushButton* Button(const QDialog& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(name);
}

// Runs the dialog for `pageNumber` and does `act` once it is up.
int ChoiceAfter(int pageNumber, const std::function<void(ScanNextPageDlg&)>& act) {
  ScanNextPageDlg dialog;
  dialog.SetPageNumber(pageNumber);
  QTimer::singleShot(0, &dialog, [&] { act(dialog); });
  dialog.exec();
  return dialog.GetChoice();
}

struct LabelCase {
  const char* name;
  int pageNumber;
  const char* scanLabel;
  const char* rescanLabel;
  bool canRescan;
};

class ScanNextPageLabelTest : public ::testing::TestWithParam<LabelCase> {};

// The first page has nothing to rescan; later pages offer the one before.
TEST_P(ScanNextPageLabelTest, ButtonsNameThePagesTheyScan) {
  const LabelCase& c = GetParam();
  ScanNextPageDlg dialog;
  dialog.SetPageNumber(c.pageNumber);
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_EQ(dialog.windowTitle(), "Place Next Page on Scanner");
    EXPECT_EQ(Button(dialog, "scanNextPageButton")->text(), c.scanLabel);
    EXPECT_EQ(Button(dialog, "rescanLastPageButton")->text(), c.rescanLabel);
    EXPECT_EQ(Button(dialog, "rescanLastPageButton")->isEnabled(), c.canRescan);
    EXPECT_TRUE(Button(dialog, "scanNextPageButton")->isDefault());
    dialog.reject();
  });
  dialog.exec();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ScanNextPageLabelTest,
    ::testing::Values(LabelCase{"FirstPage", 1, "&Scan Page 1", "&Rescan Last Page", false},
                      LabelCase{"LaterPage", 3, "&Scan Page 3", "&Rescan Page 2", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct ButtonCase {
  const char* button;
  int choice;
};

class ScanNextPageChoiceTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ScanNextPageChoiceTest, EachButtonEndsWithItsChoice) {
  const ButtonCase& c = GetParam();
  EXPECT_EQ(ChoiceAfter(2, [&](ScanNextPageDlg& d) { Button(d, c.button)->click(); }), c.choice);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ScanNextPageChoiceTest,
                         ::testing::Values(ButtonCase{"scanNextPageButton", SCAN_NEXT_PAGE},
                                           ButtonCase{"rescanLastPageButton", RESCAN_LAST_PAGE},
                                           ButtonCase{"cancelScanButton", CANCEL_SCAN},
                                           ButtonCase{"doneScanningButton", DONE_SCANNING}));

TEST(ScanNextPageDlgTest, EnterScansTheNextPageAndEscapeCancels) {
  EXPECT_EQ(ChoiceAfter(2, [](ScanNextPageDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }),
            SCAN_NEXT_PAGE);
  EXPECT_EQ(ChoiceAfter(2, [](ScanNextPageDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }),
            CANCEL_SCAN);
}

TEST(ScanNextPageDlgTest, PageNumberZeroIsAContractFailure) {
  ScanNextPageDlg dialog;
  EXPECT_THROW(dialog.exec(), contract_error);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
