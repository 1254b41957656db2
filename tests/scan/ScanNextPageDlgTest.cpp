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

TEST(ScanNextPageDlgTest, FirstPageHasNothingToRescan) {
  ScanNextPageDlg dialog;
  dialog.SetPageNumber(1);
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_EQ(dialog.windowTitle(), "Place Next Page on Scanner");
    EXPECT_EQ(Button(dialog, "scanNextPageButton")->text(), "&Scan Page 1");
    EXPECT_EQ(Button(dialog, "rescanLastPageButton")->text(), "&Rescan Page 0");
    EXPECT_FALSE(Button(dialog, "rescanLastPageButton")->isEnabled());
    EXPECT_TRUE(Button(dialog, "scanNextPageButton")->isDefault());
    dialog.reject();
  });
  dialog.exec();
}

TEST(ScanNextPageDlgTest, LaterPagesOfferTheRescanOfThePreviousOne) {
  ScanNextPageDlg dialog;
  dialog.SetPageNumber(3);
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_EQ(Button(dialog, "scanNextPageButton")->text(), "&Scan Page 3");
    EXPECT_EQ(Button(dialog, "rescanLastPageButton")->text(), "&Rescan Page 2");
    EXPECT_TRUE(Button(dialog, "rescanLastPageButton")->isEnabled());
    dialog.reject();
  });
  dialog.exec();
}

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
