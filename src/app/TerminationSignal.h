#pragma once

#include <QObject>
#include <functional>

class QDialog;
class QSocketNotifier;

// Closes the main window when the process receives SIGTERM, SIGHUP or SIGINT
// (a session that logs out, a closed terminal, Ctrl+C), so the program ends by
// its usual path: a scan in progress gives back what it claimed.
class TerminationSignal : public QObject {
  Q_OBJECT

 public:
  // Listens from construction on, so a signal that arrives while the window
  // is still being built is not lost: it closes the window once it is set.
  TerminationSignal();
  ~TerminationSignal() override;

  void SetWindow(QDialog* window);
  // Runs `handler` on the event loop instead of closing a window (the commands).
  void SetHandler(std::function<void()> handler);
  // A signal arrived; safe to ask while the event loop is not running.
  static bool WasRequested();

 private:
  void OnSignal();

  QDialog* window_ = nullptr;
  std::function<void()> handler_;
  bool requested_ = false;
  QSocketNotifier* notifier_ = nullptr;
};
