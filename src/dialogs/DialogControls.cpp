#include "dialogs/DialogControls.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

QLabel* NewBuddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

QDialogButtonBox* NewOkCancelButtons(QDialog* dialog, Qt::Orientation orientation) {
  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, orientation);
  auto* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
  // accept() is virtual: dialogs that validate first get their own.
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}
