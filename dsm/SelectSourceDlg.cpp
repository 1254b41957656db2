#include "dsm/SelectSourceDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kDeviceNameRole = Qt::UserRole;

}  // namespace

SelectSourceDlg::SelectSourceDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("selectSourceDialog");
  setWindowTitle(tr("Select Source"));
  status_ = new QLabel(tr("Looking for scanners..."), this);
  status_->setObjectName("statusLabel");
  devices_ = new QListWidget(this);
  devices_->setObjectName("sourceList");
  scanSourceLabel_ = new QLabel(tr("Scan source:"), this);
  scanSources_ = new QComboBox(this);
  scanSources_->setObjectName("scanSourceCombo");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setObjectName("okButton");
  ok_->setEnabled(false);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(devices_);
  layout->addWidget(scanSourceLabel_);
  layout->addWidget(scanSources_);
  layout->addWidget(buttons);
  scanSourceLabel_->hide();
  scanSources_->hide();
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(devices_, &QListWidget::currentRowChanged, this, &SelectSourceDlg::OnCurrentRowChanged);
  connect(devices_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

void SelectSourceDlg::ShowDevices(const std::vector<SourceEntry>& entries,
                                  const std::string& preferredDevice) {
  devices_->clear();
  status_->setText(entries.empty() ? tr("No scanner was found.") : tr("Sources:"));
  int preferredRow = 0;
  for (const SourceEntry& entry : entries) {
    auto* item = new QListWidgetItem(QString::fromUtf8(entry.identity.ProductName), devices_);
    item->setData(kDeviceNameRole, QString::fromStdString(entry.device.name));
    item->setToolTip(QString::fromStdString(entry.device.name));
    if (entry.device.name == preferredDevice)
      preferredRow = devices_->count() - 1;
  }
  if (!entries.empty())
    devices_->setCurrentRow(preferredRow);
}

void SelectSourceDlg::ShowScanSources(const std::string& deviceName,
                                      const std::vector<std::string>& sources,
                                      const std::string& chosen) {
  if (deviceName != SelectedDevice())
    return;  // the answer for a device no longer highlighted
  scanSources_->clear();
  for (const std::string& source : sources)
    scanSources_->addItem(QString::fromStdString(source));
  const int chosenIndex = scanSources_->findText(QString::fromStdString(chosen));
  scanSources_->setCurrentIndex(std::max(0, chosenIndex));
  const bool several = sources.size() > 1;
  scanSourceLabel_->setVisible(several);
  scanSources_->setVisible(several);
}

std::string SelectSourceDlg::SelectedDevice() const {
  const QListWidgetItem* item = devices_->currentItem();
  return item != nullptr ? item->data(kDeviceNameRole).toString().toStdString() : std::string();
}

std::string SelectSourceDlg::SelectedScanSource() const {
  return scanSources_->count() > 1 ? scanSources_->currentText().toStdString() : std::string();
}

void SelectSourceDlg::OnCurrentRowChanged() {
  scanSources_->clear();
  scanSourceLabel_->hide();
  scanSources_->hide();
  const std::string device = SelectedDevice();
  ok_->setEnabled(!device.empty());
  if (!device.empty())
    emit deviceHighlighted(QString::fromStdString(device));
}
