#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QFormLayout;

// The properties of a file or folder when the desktop's file manager offers
// none: what it is, where, how big, when changed, whose, and a "Read-only"
// box that the owner may change.
class PropertiesDlg : public QDialog {
  Q_OBJECT

 public:
  PropertiesDlg(const QString& path, QWidget* parent = nullptr);

  // Read-only means nobody may write; clearing it gives the owner write access.
  static bool IsReadOnly(const QString& path);
  // Returns an empty text on success, otherwise why it failed.
  static QString SetReadOnly(const QString& path, bool readOnly);

 public slots:
  void accept() override;

 private:
  void AddRow(QFormLayout* form, const QString& label, const QString& value,
              const QString& objectName);

  QString path_;
  QCheckBox* readOnlyBox_ = nullptr;
};
