#pragma once

#include <QDialog>

class QLabel;

// The About box: version, the maker's web page and the way to the debug log.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  // The user's guide the help links open (its index page); without one the
  // links are not shown.
  void SetGuide(const QString& indexFile);

  // The web page the link opens: the configured base address followed by
  // "/Docketeer/index.htm".
  static QString WebSitePage();

 private:
  void OnInitDialog();
  void OnWebSiteLinkClicked();
  void OnViewDebugLogClicked();

  QLabel* versionLabel_ = nullptr;
  QLabel* guideLinks_ = nullptr;
  QString guide_;
};
