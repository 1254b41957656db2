#include "dialogs/CAboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "core/DebugLog.h"
#include "core/Version.h"
#include "platform/DesktopShell.h"

namespace {

// The maker's site; a build or the "WebSiteBase" setting may name another.
constexpr char kDefaultWebSiteBase[] = DOCKETEER_WEB_SITE_BASE;

QLabel* AddText(QVBoxLayout* layout, const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  layout->addWidget(label);
  return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("CAboutDlg");
  setWindowTitle("About Docketeer");

  auto* icon = new QLabel;
  icon->setObjectName("applicationIcon");
  const QIcon appIcon = QApplication::windowIcon().isNull()
                            ? style()->standardIcon(QStyle::SP_DesktopIcon)
                            : QApplication::windowIcon();
  icon->setPixmap(appIcon.pixmap(48, 48));
  versionLabel_ = new QLabel("Docketeer Version %s");
  versionLabel_->setObjectName("versionLabel");
  auto* header = new QHBoxLayout;
  header->addWidget(icon);
  header->addWidget(versionLabel_, 1);

  auto* text = new QVBoxLayout;
  text->addLayout(header);
  // Only what a click leads to: the guide's sections and the web site.
  guideLinks_ = AddText(text,
                        "<a href=\"\">Read the user's guide</a><br>"
                        "<a href=\"messages\">When something goes wrong</a>");
  guideLinks_->setObjectName("guideLinks");
  guideLinks_->setTextInteractionFlags(Qt::TextBrowserInteraction);
  guideLinks_->setVisible(false);
  connect(guideLinks_, &QLabel::linkActivated, this, [this](const QString& section) {
    QUrl page = QUrl::fromLocalFile(guide_);
    if (!section.isEmpty())
      page.setFragment(section);
    DesktopShell::Instance().OpenUrl(page);
  });
  auto* link = AddText(text, "<a href=\"#\">Docketeer Web Site</a>");
  link->setObjectName("webSiteLink");
  link->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(link, &QLabel::linkActivated, this, &CAboutDlg::OnWebSiteLinkClicked);

  AddText(text,
          "Debug Log:\n\nWhen requesting technical support for Docketeer, you may be asked to "
          "supply the debug log accessible via the button below.")
      ->setObjectName("debugLogText");
  auto* viewLog = new QPushButton("View Debug Log...");
  viewLog->setObjectName("viewDebugLogButton");
  connect(viewLog, &QPushButton::clicked, this, &CAboutDlg::OnViewDebugLogClicked);
  text->addWidget(viewLog, 0, Qt::AlignLeft);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  text->addWidget(buttons);
  setLayout(text);

  OnInitDialog();
}

void CAboutDlg::OnInitDialog() {
  versionLabel_->setText(versionLabel_->text().replace("%s", kVersionText));
}

void CAboutDlg::SetGuide(const QString& indexFile) {
  guide_ = indexFile;
  guideLinks_->setVisible(!guide_.isEmpty());
}

QString CAboutDlg::WebSitePage() {
  QSettings settings;
  QString base = settings.value("Settings/WebSiteBase", kDefaultWebSiteBase).toString();
  while (base.endsWith('/'))
    base.chop(1);
  return base + "/Docketeer/index.htm";
}

void CAboutDlg::OnWebSiteLinkClicked() {
  // A desktop that cannot open the page is not reported.
  DesktopShell::Instance().OpenUrl(QUrl(WebSitePage()));
}

void CAboutDlg::OnViewDebugLogClicked() {
  DesktopShell::Instance().OpenFolder(QString::fromStdString(LogFolder()));
}
