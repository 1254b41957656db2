#include "scan/CFoliantDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/DebugLog.h"
#include "dialogs/CAboutDlg.h"

CFoliantDlg::CFoliantDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("CFoliantDlg");
  setWindowTitle("Docketeer");

  auto* buttons = new QDialogButtonBox;
  auto* about = buttons->addButton("Abou&t...", QDialogButtonBox::HelpRole);
  about->setObjectName("aboutButton");
  auto* close = buttons->addButton(QDialogButtonBox::Close);
  close->setObjectName("closeButton");
  connect(about, &QPushButton::clicked, this, &CFoliantDlg::OnAboutClicked);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buttons);
}

void CFoliantDlg::OnAboutClicked() {
  Log(LOG_LOCATION, "CFoliantDlg::OnAboutClicked()");
  CAboutDlg about(this);
  about.exec();
}
