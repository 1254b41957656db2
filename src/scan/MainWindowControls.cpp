#include "scan/MainWindowControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

#include "dialogs/DocumentSizePreviewWnd.h"
#include "scan/ScanStatusLine.h"
#include "tree/CTreeFileCtrl.h"

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// Only the scan button answers Enter: a focused button of the window must not
// take the key over, so Enter runs the scan wherever the focus is.
QPushButton* NewButton(const QString& text, const char* name) {
  auto* button = Named(new QPushButton(text), name);
  button->setAutoDefault(false);
  return button;
}

QGroupBox* BuildDestinationGroup(MainWindowControls& c) {
  c.destinationGroup =
      Named(new QGroupBox(QStringLiteral("1. &Select Destination")), "destinationGroup");
  c.tree = Named(new CTreeFileCtrl, "destinationTree");
  c.tree->setMinimumSize(220, 200);
  c.destinationFormat = Named(new QComboBox, "destinationFormatCombo");
  c.destinationFormat->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  c.destinationFormat->setMinimumContentsLength(16);
  c.destinationName = Named(new QLineEdit, "destinationNameEdit");

  auto* fields = new QFormLayout;
  fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto* formatLabel =
      Named(new QLabel(QStringLiteral("Destination &Format:")), "destinationFormatLabel");
  formatLabel->setBuddy(c.destinationFormat);
  auto* nameLabel = Named(new QLabel(QStringLiteral("&Destination Name:")), "destinationNameLabel");
  nameLabel->setBuddy(c.destinationName);
  fields->addRow(formatLabel, c.destinationFormat);
  fields->addRow(nameLabel, c.destinationName);

  auto* layout = new QVBoxLayout(c.destinationGroup);
  layout->addWidget(c.tree, 1);
  layout->addLayout(fields);
  return c.destinationGroup;
}

QGroupBox* BuildDocumentSizeGroup(MainWindowControls& c) {
  c.documentSizeGroup =
      Named(new QGroupBox(QStringLiteral("2. Select Document Si&ze")), "documentSizeGroup");
  c.sizeList = Named(new QListWidget, "documentSizeList");
  c.sizeList->setMinimumHeight(120);
  c.preview = Named(new DocumentSizePreviewWnd, "documentSizePreview");
  c.preview->setMinimumSize(90, 120);
  c.sizeLabel = Named(new QLabel, "documentSizeLabel");
  c.sizeLabel->setAlignment(Qt::AlignCenter);

  auto* previewColumn = new QVBoxLayout;
  previewColumn->addWidget(c.preview, 1);
  previewColumn->addWidget(c.sizeLabel);
  auto* layout = new QHBoxLayout(c.documentSizeGroup);
  layout->addWidget(c.sizeList, 3);
  layout->addLayout(previewColumn, 2);
  return c.documentSizeGroup;
}

QGroupBox* BuildScanGroup(MainWindowControls& c) {
  c.scanGroup = Named(new QGroupBox(QStringLiteral("3. Scan Document")), "scanGroup");
  c.scan = Named(new QPushButton(QStringLiteral("SCAN &NOW!")), "scanButton");
  c.scan->setDefault(true);
  c.scan->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
  QFont bold = c.scan->font();
  bold.setBold(true);
  if (bold.pointSizeF() > 0)
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
  c.scan->setFont(bold);
  c.scan->setMinimumHeight(c.scan->fontMetrics().height() * 3);
  c.multiPage = Named(new QCheckBox(QStringLiteral("&Multi-page document")), "multiPageCheck");
  c.rotateNinety = Named(new QCheckBox(QStringLiteral("Rotate &90 degrees")), "rotateNinetyCheck");
  c.skipBlank = Named(new QCheckBox(QStringLiteral("Set aside &blank pages")), "skipBlankCheck");
  c.upright = Named(new QCheckBox(QStringLiteral("Turn pages &upright")), "uprightCheck");
  c.deskew = Named(new QCheckBox(QStringLiteral("Strai&ghten pages")), "deskewCheck");
  c.status = new ScanStatusLine;
  c.showScannerUi =
      Named(new QCheckBox(QStringLiteral("Show manufacturer's &configuration dialog")),
            "showScannerUiCheck");
  c.showScannerUi->setVisible(false);
  c.selectSource = NewButton(QStringLiteral("Select Sou&rce..."), "selectSourceButton");
  c.advancedSettings = NewButton(QStringLiteral("&Advanced Settings..."), "advancedSettingsButton");
  c.help = NewButton(QStringLiteral("&Help..."), "helpButton");
  c.about = NewButton(QStringLiteral("Abou&t..."), "aboutButton");

  auto* boxes = new QVBoxLayout;
  boxes->addWidget(c.multiPage);
  boxes->addWidget(c.rotateNinety);
  boxes->addWidget(c.skipBlank);
  boxes->addWidget(c.upright);
  boxes->addWidget(c.deskew);
  boxes->addWidget(c.showScannerUi);
  boxes->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(c.scan, 1);
  top->addLayout(boxes);
  auto* buttons = new QGridLayout;
  buttons->addWidget(c.selectSource, 0, 0);
  buttons->addWidget(c.advancedSettings, 0, 1);
  buttons->addWidget(c.help, 1, 0);
  buttons->addWidget(c.about, 1, 1);
  auto* layout = new QVBoxLayout(c.scanGroup);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->addWidget(c.status);
  return c.scanGroup;
}

void SetTabOrder(const MainWindowControls& c) {
  QWidget* order[] = {
      c.tree,          c.destinationFormat, c.destinationName,  c.sizeList, c.scan,
      c.multiPage,     c.rotateNinety,      c.skipBlank,        c.upright,  c.deskew,
      c.showScannerUi, c.selectSource,      c.advancedSettings, c.help,     c.about};
  for (std::size_t i = 1; i < std::size(order); ++i)
    QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace

MainWindowControls BuildMainWindowControls(QDialog* window) {
  MainWindowControls c;
  auto* right = new QVBoxLayout;
  right->addWidget(BuildDocumentSizeGroup(c), 1);
  right->addWidget(BuildScanGroup(c));
  auto* layout = new QHBoxLayout(window);
  layout->addWidget(BuildDestinationGroup(c), 1);
  layout->addLayout(right, 1);
  SetTabOrder(c);
  return c;
}
