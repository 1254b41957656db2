#include "platform/PropertiesDlg.h"

#include <unistd.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Prompt.h"

namespace {

constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
// What the current user may do; setPermissions would read these as the
// owner's bits, so they are left out of any change.
constexpr QFileDevice::Permissions kCurrentUser =
    QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;

QString SizeText(const QFileInfo& info) {
  const QLocale locale;
  return QString("%1 (%2 bytes)")
      .arg(locale.formattedDataSize(info.size()), locale.toString(info.size()));
}

QString TypeText(const QFileInfo& info) {
  if (info.isDir())
    return "Folder";
  return QMimeDatabase().mimeTypeForFile(info).comment();
}

bool MayChangePermissions(const QFileInfo& info) {
  return ::geteuid() == 0 || info.ownerId() == ::geteuid();
}

}  // namespace

PropertiesDlg::PropertiesDlg(const QString& path, QWidget* parent) : QDialog(parent), path_(path) {
  const QFileInfo info(path);
  setObjectName("PropertiesDlg");
  setWindowTitle(QString("%1 Properties").arg(info.fileName()));
  auto* form = new QFormLayout;
  auto* icon = new QLabel;
  icon->setPixmap(QFileIconProvider().icon(info).pixmap(32, 32));
  form->addRow(icon, new QLabel(info.fileName()));
  AddRow(form, "Type:", TypeText(info), "typeText");
  AddRow(form, "Location:", QDir::toNativeSeparators(info.absolutePath()), "locationText");
  if (!info.isDir())
    AddRow(form, "Size:", SizeText(info), "sizeText");
  AddRow(form, "Modified:", QLocale().toString(info.lastModified(), QLocale::LongFormat),
         "modifiedText");
  AddRow(form, "Owner:", info.owner(), "ownerText");
  readOnlyBox_ = new QCheckBox("&Read-only");
  readOnlyBox_->setObjectName("readOnlyBox");
  readOnlyBox_->setChecked(IsReadOnly(path));
  readOnlyBox_->setEnabled(MayChangePermissions(info));
  form->addRow("Attributes:", readOnlyBox_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &PropertiesDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void PropertiesDlg::AddRow(QFormLayout* form, const QString& label, const QString& value,
                           const QString& objectName) {
  auto* text = new QLabel(value);
  text->setObjectName(objectName);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(label, text);
}

bool PropertiesDlg::IsReadOnly(const QString& path) {
  return !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

QString PropertiesDlg::SetReadOnly(const QString& path, bool readOnly) {
  QFile file(path);
  const QFileDevice::Permissions now = file.permissions() & ~kCurrentUser;
  const QFileDevice::Permissions wanted =
      readOnly ? now & ~kAnyWrite : now | QFileDevice::WriteOwner;
  return file.setPermissions(wanted) ? QString() : file.errorString();
}

void PropertiesDlg::accept() {
  if (readOnlyBox_->isChecked() != IsReadOnly(path_)) {
    const QString error = SetReadOnly(path_, readOnlyBox_->isChecked());
    if (!error.isEmpty()) {
      Prompt::ShowError(this, PromptId::Other,
                        QString("The write permission of \"%1\" could not be changed.  %2")
                            .arg(QFileInfo(path_).fileName(), error));
      return;
    }
  }
  QDialog::accept();
}
