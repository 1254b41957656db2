#pragma once

class CTreeFileCtrl;
class DocumentSizePreviewWnd;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class ScanStatusLine;

// The controls of the main window in its three numbered groups, built and
// laid out once; the window keeps the pointers and fills the controls.
struct MainWindowControls {
  QGroupBox* destinationGroup = nullptr;
  CTreeFileCtrl* tree = nullptr;
  QComboBox* destinationFormat = nullptr;
  QLineEdit* destinationName = nullptr;

  QGroupBox* documentSizeGroup = nullptr;
  QListWidget* sizeList = nullptr;
  DocumentSizePreviewWnd* preview = nullptr;
  QLabel* sizeLabel = nullptr;

  QGroupBox* scanGroup = nullptr;
  QPushButton* scan = nullptr;
  QCheckBox* multiPage = nullptr;
  QCheckBox* rotateNinety = nullptr;
  QCheckBox* skipBlank = nullptr;
  QCheckBox* upright = nullptr;
  QCheckBox* deskew = nullptr;
  QCheckBox* showScannerUi = nullptr;
  QPushButton* selectSource = nullptr;
  QPushButton* advancedSettings = nullptr;
  QPushButton* help = nullptr;
  QPushButton* about = nullptr;
  // What the scan does now, how it ended, and the notices of the last scan.
  ScanStatusLine* status = nullptr;
};

// Builds the controls into `window`: the tree and the size list take the
// room the window gains, the scan button is the default button, and the tab
// order follows reading order.
MainWindowControls BuildMainWindowControls(QDialog* window);
