#pragma once

#include <QString>
#include <Qt>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QWidget;

// Small builders the settings dialogs share, so their controls look and are
// named alike.

// A right-aligned label whose mnemonic moves the focus to `buddy`.
QLabel* NewBuddyLabel(const QString& text, QWidget* buddy);

// OK (the default, "okButton") and Cancel ("cancelButton") wired to the
// dialog's accept() and reject().
QDialogButtonBox* NewOkCancelButtons(QDialog* dialog, Qt::Orientation orientation);
