// One feeder batch from SANE's test backend through libdocketeer_dsm.so, taken
// as the program's scan manager takes it: one page per transfer-ready, each
// page freed once taken, the event loop running in between. Prints the pages,
// the seconds, the longest gap between two turns of the event loop and the
// peak resident memory; with --disable-after, the time a disable of a slow
// scan under way takes instead. With --memory the pages come by memory
// transfer, in strips of the source's preferred size, each strip passed on
// at once as a program writing a file would.
//
//   dsm_batch_stalls <library> <pages> <dpi> <read delay us> [--disable-after <ms>] [--memory]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSession.h"
#include "twain/GlobalMemory.h"
#include "twain/TwainTypes.h"

namespace {

BenchSession session;
bool byMemory = false;

// One page in strips; the return code of the last strip.
TW_UINT16 TransferInStrips() {
  TW_SETUPMEMXFER setup{};
  if (session.Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS)
    return TWRC_FAILURE;
  std::vector<std::uint8_t> buffer(setup.Preferred);
  volatile std::uint8_t sink = 0;
  for (;;) {
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()),
                    buffer.data()};
    const TW_UINT16 result = session.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    if (result != TWRC_SUCCESS)
      return result;
    sink = sink + buffer[strip.BytesWritten / 2];  // the strip is read, as a writer would
  }
}

// The scan manager's part: a page is transferred when the source says it is ready.
class Application : public QObject {
 public:
  int pages = 0;
  bool done = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    TW_EVENT twainEvent{event, MSG_NULL};
    if (session.Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twainEvent) != TWRC_DSEVENT)
      return QObject::eventFilter(watched, event);
    if (twainEvent.TWMessage == MSG_XFERREADY)
      TransferOne();
    return true;
  }

 private:
  void TransferOne() {
    TW_UINT16 result = TWRC_FAILURE;
    if (byMemory) {
      result = TransferInStrips();
    } else {
      TW_HANDLE page = nullptr;
      result = session.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page);
      GlobalFree(page);  // saved and freed at once, as the program does
    }
    TW_PENDINGXFERS pending{};
    session.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    pages += result == TWRC_XFERDONE ? 1 : 0;
    done = result != TWRC_XFERDONE || pending.Count == 0;
  }
};

void UseTestBackend(long readDelayMicroseconds) {
  const auto folder = std::filesystem::temp_directory_path() / "dsm-bench-sane";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "dll.conf") << "test\n";
  std::ofstream(folder / "test.conf")
      << "number_of_devices 1\ngeometry_max 400.0\nbr_x 215.9\nbr_y 297.0\n"
      << "read-limit true\nread-limit-size 65536\nread-delay true\nread-delay-duration "
      << readDelayMicroseconds << "\n";
  ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
}

long PeakKilobytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: %s <library> <pages> <dpi> <read delay us> [--disable-after <ms>]\n",
                 argv[0]);
    return 2;
  }
  const int wanted = std::atoi(argv[2]);
  const int dpi = std::atoi(argv[3]);
  UseTestBackend(std::atol(argv[4]));
  const int disableAfter =
      argc > 6 && std::strcmp(argv[5], "--disable-after") == 0 ? std::atoi(argv[6]) : -1;
  byMemory = std::strcmp(argv[argc - 1], "--memory") == 0;
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName("DocketeerBench");
  if (!session.Load(argv[1]))
    return 1;
  Application parent;
  parent.installEventFilter(&parent);
  if (!session.Open(&parent, "Batch stalls"))
    return 1;
  session.NegotiateColourA4(dpi, wanted);
  if (byMemory && session.SetTransferMechanism(TWSX_MEMORY) != TWRC_SUCCESS) {
    std::fprintf(stderr, "no memory transfers\n");
    return 1;
  }

  // The longest time between two turns of the event loop.
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout,
                   [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
  TW_USERINTERFACE ui{0, 1, &parent};
  QElapsedTimer batch;
  batch.start();
  session.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  sinceTick.start();
  ticker.start();
  if (disableAfter >= 0) {
    while (batch.elapsed() < disableAfter)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QElapsedTimer disabling;
    disabling.start();
    session.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    std::printf("disable %.1f ms\n", disabling.nsecsElapsed() / 1e6);
  } else {
    while (!parent.done)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    session.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    std::printf("%d pages %.3f s longest-stall %lld ms peak %ld kB\n", parent.pages,
                batch.elapsed() / 1000.0, static_cast<long long>(longestGap), PeakKilobytes());
  }
  session.Close();
  return 0;
}
