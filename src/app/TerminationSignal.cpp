#include "app/TerminationSignal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <utility>

#include "core/DebugLog.h"

namespace {

// A session that logs out, a closed terminal and Ctrl+C all end the program by its usual path.
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

int gSignalPipe[2] = {-1, -1};
std::atomic<bool> gRequested{false};

// Only async-signal-safe work here: wake the event loop.
void OnTerminationSignal(int) {
  gRequested.store(true);
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

void Install() {
  struct sigaction action {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals)
    sigaction(signal, &action, nullptr);
}

// A scanner backend's reading thread may put a signal back to its default
// (SANE's test backend does so for SIGTERM), and the signal would then end
// the process with the scan's claims in place; the handler is put back.
constexpr int kKeepMilliseconds = 100;

void KeepInstalled() {
  for (const int signal : kSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != &OnTerminationSignal) {
      Log(LOG_LOCATION, "TerminationSignal: signal %d was taken over; handled again", signal);
      Install();
      return;
    }
  }
}

}  // namespace

TerminationSignal::TerminationSignal() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0)
    return;
  notifier_ = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignal::OnSignal);
  Install();
  auto* keeper = new QTimer(this);
  connect(keeper, &QTimer::timeout, this, &KeepInstalled);
  keeper->start(kKeepMilliseconds);
}

TerminationSignal::~TerminationSignal() {
  if (notifier_ == nullptr)
    return;
  for (const int signal : kSignals)
    std::signal(signal, SIG_DFL);
  ::close(gSignalPipe[0]);
  ::close(gSignalPipe[1]);
  gSignalPipe[0] = gSignalPipe[1] = -1;
}

void TerminationSignal::OnSignal() {
  char byte = 0;
  [[maybe_unused]] const auto read = ::read(gSignalPipe[0], &byte, 1);
  requested_ = true;
  if (handler_)
    handler_();
  if (window_ != nullptr)
    window_->close();
}

void TerminationSignal::SetHandler(std::function<void()> handler) {
  handler_ = std::move(handler);
}

bool TerminationSignal::WasRequested() {
  return gRequested.load();
}

void TerminationSignal::SetWindow(QDialog* window) {
  window_ = window;
  // The window's exec() opens it after this; a close now would be undone.
  if (requested_)
    QMetaObject::invokeMethod(window_, &QDialog::close, Qt::QueuedConnection);
}
