// The source's window for an application without widgets of its own: the
// manager starts this program, which shows the window and tells the manager
// in lines on standard output what the user chose ("shown", "scan<TAB>source",
// "cancel"); standard input brings "scanning N" and "ready", and its end
// closes the window.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "dsm/SourceScanDlg.h"

namespace {

void Say(const std::string& line) {
  const std::string text = line + "\n";
  [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
}

// A session that ends closes the window as the user would.
void OnTermination(int) {
  static const char kCancel[] = "cancel\n";
  [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, kCancel, sizeof kCancel - 1);
  ::_exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PRODUCT CURRENT-SOURCE [SOURCE...]\n", argv[0]);
    return 64;
  }
  QApplication application(argc, argv);
  std::signal(SIGTERM, OnTermination);
  std::signal(SIGINT, OnTermination);
  std::vector<std::string> sources(argv + 3, argv + argc);
  SourceScanDlg window(nullptr, QString::fromUtf8(argv[1]));
  window.ShowScanSources(sources, argv[2]);
  QObject::connect(&window, &SourceScanDlg::scanRequested,
                   [&window] { Say("scan\t" + window.ChosenScanSource()); });
  QObject::connect(&window, &SourceScanDlg::cancelRequested, [] {
    Say("cancel");
    QCoreApplication::quit();
  });

  std::string line;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {  // the manager let the source go
      QCoreApplication::quit();
      return;
    }
    for (ssize_t i = 0; i < got; ++i) {
      if (buffer[i] != '\n') {
        line += buffer[i];
        continue;
      }
      if (line.rfind("scanning ", 0) == 0)
        window.ShowScanning(std::stoi(line.substr(9)));
      else if (line == "ready")
        window.ShowReady();
      line.clear();
    }
  });
  window.show();
  Say("shown");
  return QApplication::exec();
}
