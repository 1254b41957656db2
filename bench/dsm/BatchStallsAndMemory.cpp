// One feeder batch from SANE's test backend through libdocketeer_dsm.so, taken
// as the program's scan manager takes it: one page per transfer-ready, each
// page freed once taken, the event loop running in between. Prints the pages,
// the seconds, the longest gap between two turns of the event loop and the
// peak resident memory; with --disable-after, the time a disable of a slow
// scan under way takes instead.
//
//   dsm_batch_stalls <library> <pages> <dpi> <read delay us> [--disable-after <ms>]
#include <dlfcn.h>
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

#include "twain/GlobalMemory.h"
#include "twain/TwainTypes.h"

namespace {

DSMENTRYPROC entry = nullptr;
TW_IDENTITY application{};
TW_IDENTITY source{};

TW_UINT16 Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
               TW_MEMREF data) {
  return entry(&application, destination, group, dat, message, data);
}

TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item) {
  TW_HANDLE container = GlobalAlloc(sizeof(TW_ONEVALUE));
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(container));
  value->ItemType = itemType;
  value->Item = item;
  GlobalUnlock(container);
  TW_CAPABILITY capability{cap, TWON_ONEVALUE, container};
  const TW_UINT16 result = Call(&source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(container);
  return result;
}

// The scan manager's part: a page is transferred when the source says it is ready.
class Application : public QObject {
 public:
  int pages = 0;
  bool done = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    TW_EVENT twainEvent{event, MSG_NULL};
    if (Call(&source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twainEvent) != TWRC_DSEVENT)
      return QObject::eventFilter(watched, event);
    if (twainEvent.TWMessage == MSG_XFERREADY)
      TransferOne();
    return true;
  }

 private:
  void TransferOne() {
    TW_HANDLE page = nullptr;
    const TW_UINT16 result = Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page);
    GlobalFree(page);  // saved and freed at once, as the program does
    TW_PENDINGXFERS pending{};
    Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
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
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName("DocketeerBench");
  void* library = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  entry = library ? reinterpret_cast<DSMENTRYPROC>(::dlsym(library, kDsmEntryName)) : nullptr;
  if (entry == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  Application parent;
  parent.installEventFilter(&parent);
  std::strcpy(application.ProductName, "Batch stalls");
  void* parentHandle = &parent;
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parentHandle);
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &source);
  if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source) != TWRC_SUCCESS) {
    std::fprintf(stderr, "no source\n");
    return 1;
  }
  SetOneValue(CAP_FEEDERENABLED, TWTY_BOOL, 1);
  SetOneValue(CAP_XFERCOUNT, TWTY_INT16, static_cast<TW_UINT32>(wanted));
  SetOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB);
  SetOneValue(ICAP_XRESOLUTION, TWTY_FIX32, static_cast<TW_UINT32>(dpi));
  TW_IMAGELAYOUT layout{};
  Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
  layout.Frame = {{0, 0}, {0, 0}, {8, 17039}, {11, 45220}};  // A4
  Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);

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
  Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  sinceTick.start();
  ticker.start();
  if (disableAfter >= 0) {
    while (batch.elapsed() < disableAfter)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QElapsedTimer disabling;
    disabling.start();
    Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    std::printf("disable %.1f ms\n", disabling.nsecsElapsed() / 1e6);
  } else {
    while (!parent.done)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    std::printf("%d pages %.3f s longest-stall %lld ms peak %ld kB\n", parent.pages,
                batch.elapsed() / 1000.0, static_cast<long long>(longestGap), PeakKilobytes());
  }
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parentHandle);
  return 0;
}
