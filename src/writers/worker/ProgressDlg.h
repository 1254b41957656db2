#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// "Saving...": shows the progress of a write that runs on another thread. The
// work reports nothing itself, so the percentage is estimated from the expected
// duration; the dialog ends once the worker marks it for destruction.
class ProgressDlg : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressDlg(QWidget* parent = nullptr);
  ~ProgressDlg() override;

  void SetCaption(const QString& caption);
  void SetEstimatedDuration(int milliseconds);
  // A line under the bar, asked for at every tick (on this thread): what the
  // work waits for, or empty for nothing to show.
  void SetDetailSource(std::function<QString()> detail);
  // What Cancel does while a detail shows (the work waits for something that
  // can be given up, such as recognised text); without it Cancel stays greyed.
  void SetCancel(std::function<void()> cancel);

  // Called by the worker thread as its last step; the dialog ends at once.
  void MarkForDestruction();
  bool IsMarkedForDestruction() const;

  // Runs the dialog modally until the work is marked finished.
  int exec() override;

  // The percentage shown after `elapsed` milliseconds of an estimated
  // `estimatedDuration`; it never reaches 100 while the work runs.
  static int PercentAfter(int elapsed, int estimatedDuration);

 public slots:
  // The write itself cannot be cancelled: Escape and the window's close button
  // are ignored until the work has finished, so no write is left running
  // unseen; only what the detail names can be given up through Cancel.
  void reject() override;

 protected:
  void timerEvent(QTimerEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // One 100 ms tick: advance the estimate, end the dialog once marked.
  void OnTimer();

 private:
  void OnInitDialog();
  void ShowPercent(int percent);
  void ShowDetail();
  void OnCancel();

  QProgressBar* progressBar_ = nullptr;
  QLabel* percentText_ = nullptr;
  QLabel* detailText_ = nullptr;
  std::function<QString()> detail_;
  std::function<void()> cancel_;
  bool cancelled_ = false;
  QPushButton* cancelButton_ = nullptr;
  QBasicTimer timer_;
  QString caption_;
  int estimatedDuration_ = 10000;
  int elapsed_ = 0;
  bool wasRun_ = false;
  std::atomic<bool> isMarkedForDestruction_{false};
};
