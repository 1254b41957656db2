#pragma once

#include <QDialog>

// The main window. For now it offers the About box and closes; the scan
// workflow fills it.
class CFoliantDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CFoliantDlg(QWidget* parent = nullptr);

 private:
  void OnAboutClicked();
};
