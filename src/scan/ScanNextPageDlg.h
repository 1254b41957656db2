#pragma once

#include <QDialog>

#include "workflow/NextPageChoice.h"

class QPushButton;

// "Place Next Page on Scanner": asked by the page loop after each saved page.
// Enter scans the next page, Escape cancels the scan.
class ScanNextPageDlg : public QDialog {
  Q_OBJECT

 public:
  explicit ScanNextPageDlg(QWidget* parent = nullptr);

  // The number of the page to scan next; must be above 0 when the dialog runs.
  void SetPageNumber(int pageNumber);
  int GetChoice() const;

  int exec() override;

 public slots:
  void accept() override;
  void reject() override;

 private:
  void OnInitDialog();
  void Choose(int choice);
  QPushButton* AddChoiceButton(const QString& text, const QString& objectName, int choice);

  QPushButton* scanButton_ = nullptr;
  QPushButton* rescanButton_ = nullptr;
  int pageNumber_ = 0;
  int choice_ = SCAN_NEXT_PAGE;
};
