#pragma once

#include <QObject>

class QDialog;
class QSocketNotifier;

// Closes the main window when the process receives SIGTERM or SIGINT (a session
// that logs out, Ctrl+C in a terminal), so the program ends by its usual path.
class TerminationSignal : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignal(QDialog* window);
  ~TerminationSignal() override;

 private:
  void OnSignal();

  QDialog* window_;
  QSocketNotifier* notifier_ = nullptr;
};
