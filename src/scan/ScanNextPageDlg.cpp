#include "scan/ScanNextPageDlg.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "core/ContractChecks.h"

ScanNextPageDlg::ScanNextPageDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("ScanNextPageDlg");
  setWindowTitle("Place Next Page on Scanner");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  new QVBoxLayout(this);
  scanButton_ = AddChoiceButton("&Scan Page %d", "scanNextPageButton", SCAN_NEXT_PAGE);
  rescanButton_ = AddChoiceButton("&Rescan Page %d", "rescanLastPageButton", RESCAN_LAST_PAGE);
  AddChoiceButton("&Cancel Scan", "cancelScanButton", CANCEL_SCAN);
  AddChoiceButton("&Done Scanning Document", "doneScanningButton", DONE_SCANNING);
  scanButton_->setDefault(true);
  // The window system draws the title in the frame: the dialog keeps room for it.
  setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 160);
}

QPushButton* ScanNextPageDlg::AddChoiceButton(const QString& text, const QString& objectName,
                                              int choice) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(objectName);
  layout()->addWidget(button);
  connect(button, &QPushButton::clicked, this, [this, choice] { Choose(choice); });
  return button;
}

void ScanNextPageDlg::SetPageNumber(int pageNumber) {
  pageNumber_ = pageNumber;
}

int ScanNextPageDlg::GetChoice() const {
  return choice_;
}

int ScanNextPageDlg::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void ScanNextPageDlg::accept() {
  choice_ = SCAN_NEXT_PAGE;
  QDialog::accept();
}

void ScanNextPageDlg::reject() {
  choice_ = CANCEL_SCAN;
  QDialog::reject();
}

void ScanNextPageDlg::OnInitDialog() {
  CheckPrecondition(CONTRACT_LOCATION, pageNumber_ > 0);
  // There is nothing to rescan before the first page.
  rescanButton_->setEnabled(pageNumber_ != 1);
  scanButton_->setText(QString("&Scan Page %1").arg(pageNumber_));
  rescanButton_->setText(pageNumber_ == 1 ? QString("&Rescan Last Page")
                                          : QString("&Rescan Page %1").arg(pageNumber_ - 1));
  scanButton_->setFocus();
}

void ScanNextPageDlg::Choose(int choice) {
  choice_ = choice;
  done(choice);
}
