#pragma once

#include <QDialog>

class QLabel;

// The About box: version, the maker's web page and the way to the debug log.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  // The web page the link opens: the configured base address followed by
  // "/Docketeer/index.htm".
  static QString WebSitePage();

 private:
  void OnInitDialog();
  void OnWebSiteLinkClicked();
  void OnViewDebugLogClicked();

  QLabel* versionLabel_ = nullptr;
};
