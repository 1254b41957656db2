#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "dsm/SourceDirectory.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// "Select Source": the scanners SANE found, and for the one highlighted its
// scan sources (flatbed, feeder, duplex) when it has several. The lists
// arrive after the dialog is shown, so a slow search never freezes it.
class SelectSourceDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit SelectSourceDlg(QWidget* parent);

  void ShowDevices(const std::vector<SourceEntry>& entries, const std::string& preferredDevice);
  void ShowScanSources(const std::string& deviceName, const std::vector<std::string>& sources,
                       const std::string& chosen);

  std::string SelectedDevice() const;
  std::string SelectedScanSource() const;

 signals:
  void deviceHighlighted(const QString& deviceName);

 private:
  void OnCurrentRowChanged();

  QLabel* status_;
  QListWidget* devices_;
  QLabel* scanSourceLabel_;
  QComboBox* scanSources_;
  QPushButton* ok_;
};
