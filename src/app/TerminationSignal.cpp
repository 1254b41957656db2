#include "app/TerminationSignal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDialog>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <utility>

namespace {

int gSignalPipe[2] = {-1, -1};
std::atomic<bool> gRequested{false};

// Only async-signal-safe work here: wake the event loop.
void OnTerminationSignal(int) {
  gRequested.store(true);
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

}  // namespace

TerminationSignal::TerminationSignal() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0)
    return;
  notifier_ = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignal::OnSignal);
  struct sigaction action {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

TerminationSignal::~TerminationSignal() {
  if (notifier_ == nullptr)
    return;
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
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
