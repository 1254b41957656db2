#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;

// Shown when the per-folder preference file exists but cannot be written by
// this user. It explains why, leads to the file's properties where the owner can
// grant write access, and lets the user retry (OK) or give up (Cancel).
class WritePermissionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit WritePermissionsDlg(QWidget* parent = nullptr);

  void SetFilePath(const QString& filePath);
  QString GetFilePath() const { return filePath_; }

  // Shows the dialog modally and returns its result; tests put their own in place.
  using Shower = std::function<int(WritePermissionsDlg& dialog)>;
  static int ExecModal(WritePermissionsDlg& dialog);

  // Asks until `canWrite` holds or the user cancels: a fresh dialog for each
  // question, OK tests the file again. Returns whether the file can be written.
  static bool AskUntilWritable(QWidget* parent, const QString& filePath,
                               const std::function<bool()>& canWrite,
                               const Shower& show = ExecModal);

 private:
  void OnModifyWritePrivileges();

  QString filePath_;
  QLabel* filePathLabel_ = nullptr;
};
