#include "dsm/SourceScanDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SourceScanDlg::SourceScanDlg(QWidget* parent, const QString& productName) : QDialog(parent) {
  setObjectName("sourceScanDialog");
  setWindowTitle(productName);
  status_ = new QLabel(tr("Place the document and press Scan."), this);
  status_->setObjectName("statusLabel");
  auto* buttons = new QDialogButtonBox(this);
  scan_ = buttons->addButton(tr("Scan"), QDialogButtonBox::AcceptRole);
  scan_->setObjectName("scanButton");
  scan_->setDefault(true);
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName("cancelButton");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(buttons);
  connect(scan_, &QPushButton::clicked, this, &SourceScanDlg::scanRequested);
  connect(cancel, &QPushButton::clicked, this, &SourceScanDlg::reject);
}

void SourceScanDlg::ShowScanning(int pagesDone) {
  scan_->setEnabled(false);
  status_->setText(pagesDone == 0 ? tr("Scanning...")
                                  : tr("Scanning... %n page(s) done", nullptr, pagesDone));
}

void SourceScanDlg::reject() {
  hide();
  emit cancelRequested();
}
