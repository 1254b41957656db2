#include "dialogs/WritePermissionsDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/DebugLog.h"
#include "dialogs/DialogControls.h"
#include "platform/DesktopShell.h"

namespace {

QLabel* AddParagraph(QVBoxLayout* layout, const char* objectName, const QString& text) {
  auto* label = new QLabel(text);
  label->setObjectName(objectName);
  label->setWordWrap(true);
  layout->addWidget(label);
  return label;
}

}  // namespace

WritePermissionsDlg::WritePermissionsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("WritePermissionsDlg");
  setWindowTitle("Insufficent Write Privileges");

  auto* layout = new QVBoxLayout(this);
  AddParagraph(layout, "insufficientPrivilegesText",
               "Docketeer has detected that you have insufficient write privileges to update "
               "per-folder settings and preferences.");
  AddParagraph(layout, "whyText",
               "This can happen if the file that stores these values was originally created on "
               "another PC or under another user account.  While Docketeer will still work in this "
               "condition, none of your per-folder settings and preferences will be saved.");
  AddParagraph(layout, "adviceText",
               "You may wish to change the privileges on this file to enable you to write to it.  "
               "This may require administrator privileges.");

  // Not in the original layout: naming the file tells the user which one to fix.
  filePathLabel_ = new QLabel;
  filePathLabel_->setObjectName("filePathLabel");
  filePathLabel_->setWordWrap(true);
  filePathLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(filePathLabel_);

  auto* modify = new QPushButton("Click Here to Modify Write Privileges...");
  modify->setObjectName("modifyWritePrivilegesButton");
  modify->setAutoDefault(false);
  connect(modify, &QPushButton::clicked, this, &WritePermissionsDlg::OnModifyWritePrivileges);
  layout->addSpacing(8);
  layout->addWidget(modify, 0, Qt::AlignHCenter);
  layout->addSpacing(8);

  auto* buttons = NewOkCancelButtons(this, Qt::Horizontal);
  layout->addWidget(buttons);
  setMinimumWidth(480);
}

void WritePermissionsDlg::SetFilePath(const QString& filePath) {
  filePath_ = filePath;
  filePathLabel_->setText(filePath);
}

void WritePermissionsDlg::OnModifyWritePrivileges() {
  Log(LOG_LOCATION, "WritePermissionsDlg::OnModifyWritePrivileges(): %s",
      filePath_.toUtf8().constData());
  // The properties open beside this dialog, which stays until the user retries or gives up.
  DesktopShell::Instance().ShowProperties(filePath_);
}

int WritePermissionsDlg::ExecModal(WritePermissionsDlg& dialog) {
  return dialog.exec();
}

bool WritePermissionsDlg::AskUntilWritable(QWidget* parent, const QString& filePath,
                                           const std::function<bool()>& canWrite,
                                           const Shower& show) {
  while (!canWrite()) {
    WritePermissionsDlg dialog(parent);
    dialog.SetFilePath(filePath);
    if (show(dialog) != QDialog::Accepted) {
      Log(LOG_LOCATION, "WritePermissionsDlg::AskUntilWritable(): cancelled for %s",
          filePath.toUtf8().constData());
      return false;
    }
  }
  return true;
}
