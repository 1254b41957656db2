#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The source's own small window, shown when the application asks for the
// source's interface: Scan starts the batch, Cancel gives the source back.
class SourceScanDlg final : public QDialog {
  Q_OBJECT

 public:
  SourceScanDlg(QWidget* parent, const QString& productName);

  void ShowScanning(int pagesDone);

 signals:
  void scanRequested();
  void cancelRequested();

 protected:
  void reject() override;

 private:
  QLabel* status_;
  QPushButton* scan_;
};
