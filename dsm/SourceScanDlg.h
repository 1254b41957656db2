#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

// The source's own small window, shown when the application asks for the
// source's interface: the scan source when the device has several, Scan to
// start the batch, Cancel to give the source back.
class SourceScanDlg final : public QDialog {
  Q_OBJECT

 public:
  SourceScanDlg(QWidget* parent, const QString& productName);

  void ShowScanSources(const std::vector<std::string>& sources, const std::string& current);
  std::string ChosenScanSource() const;
  void ShowScanning(int pagesDone);
  // The batch is over: Scan starts another.
  void ShowReady();

 signals:
  void scanRequested();
  void cancelRequested();

 protected:
  void reject() override;

 private:
  QLabel* status_;
  QComboBox* scanSources_;
  QPushButton* scan_;
};
