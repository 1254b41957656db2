#include "dsm/SourceScanDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SourceScanDlg::SourceScanDlg(QWidget* parent, const QString& productName) : QDialog(parent) {
  setObjectName("sourceScanDialog");
  setWindowTitle(productName);
  status_ = new QLabel(this);
  status_->setObjectName("statusLabel");
  scanSources_ = new QComboBox(this);
  scanSources_->setObjectName("scanSourceCombo");
  scanSources_->hide();
  auto* buttons = new QDialogButtonBox(this);
  scan_ = buttons->addButton(tr("Scan"), QDialogButtonBox::AcceptRole);
  scan_->setObjectName("scanButton");
  scan_->setDefault(true);
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName("cancelButton");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(scanSources_);
  layout->addWidget(buttons);
  connect(scan_, &QPushButton::clicked, this, &SourceScanDlg::scanRequested);
  connect(cancel, &QPushButton::clicked, this, &SourceScanDlg::reject);
  ShowReady();
}

void SourceScanDlg::ShowReady() {
  scan_->setEnabled(true);
  scanSources_->setEnabled(true);
  status_->setText(tr("Place the document and press Scan."));
}

void SourceScanDlg::ShowScanSources(const std::vector<std::string>& sources,
                                    const std::string& current) {
  scanSources_->clear();
  for (const std::string& source : sources)
    scanSources_->addItem(QString::fromStdString(source));
  scanSources_->setCurrentIndex(
      std::max(0, scanSources_->findText(QString::fromStdString(current))));
  scanSources_->setVisible(sources.size() > 1);
}

std::string SourceScanDlg::ChosenScanSource() const {
  return scanSources_->count() > 1 ? scanSources_->currentText().toStdString() : std::string();
}

void SourceScanDlg::ShowScanning(int pagesDone) {
  scan_->setEnabled(false);
  scanSources_->setEnabled(false);
  status_->setText(pagesDone == 0 ? tr("Scanning...")
                                  : tr("Scanning... %n page(s) done", nullptr, pagesDone));
}

void SourceScanDlg::reject() {
  hide();
  emit cancelRequested();
}
