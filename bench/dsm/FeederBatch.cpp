// Scans one feeder batch in colour through libdocketeer_dsm.so, as the program
// would, and writes each page as a BMP file: the same work scanimage --batch
// does when it writes PNM files. Prints the seconds the batch took.
//
//   dsm_feeder_batch <library> <output folder> [dpi] [--memory]
#include <dlfcn.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
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

// The application's side of the event loop: DAT_EVENT sees every event.
class Application : public QObject {
 public:
  bool transferReady = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    TW_EVENT twainEvent{event, MSG_NULL};
    if (Call(&source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twainEvent) != TWRC_DSEVENT)
      return QObject::eventFilter(watched, event);
    transferReady = transferReady || twainEvent.TWMessage == MSG_XFERREADY;
    return true;
  }
};

void WriteBmp(TW_HANDLE page, const std::string& path) {
  const auto* dib = static_cast<const char*>(GlobalLock(page));
  std::uint32_t headerSize = 0, colours = 0, imageBytes = 0;
  std::memcpy(&headerSize, dib, 4);
  std::memcpy(&imageBytes, dib + 20, 4);
  std::memcpy(&colours, dib + 32, 4);
  const std::uint32_t offset = 14 + headerSize + colours * 4;
  const std::uint32_t fileSize = offset + imageBytes;
  char fileHeader[14] = {'B', 'M'};
  std::memcpy(fileHeader + 2, &fileSize, 4);
  std::memcpy(fileHeader + 10, &offset, 4);
  std::ofstream file(path, std::ios::binary);
  file.write(fileHeader, sizeof fileHeader);
  file.write(dib, static_cast<std::streamsize>(fileSize - 14));
  GlobalUnlock(page);
}

int TransferAll(const std::string& folder, bool toDisk) {
  int pages = 0;
  for (TW_PENDINGXFERS pending{1, {0}}; pending.Count != 0;) {
    TW_HANDLE page = nullptr;
    if (Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page) != TWRC_XFERDONE)
      return -1;
    if (toDisk)
      WriteBmp(page, folder + "/page" + std::to_string(++pages) + ".bmp");
    else
      ++pages;
    GlobalFree(page);
    Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
  }
  return pages;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <library> <output folder> [dpi] [--memory]\n", argv[0]);
    return 2;
  }
  const int dpi = argc > 3 ? std::atoi(argv[3]) : 300;
  const bool toDisk = !(argc > 4 && std::strcmp(argv[4], "--memory") == 0);
  QCoreApplication app(argc, argv);
  void* library = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  entry = library ? reinterpret_cast<DSMENTRYPROC>(::dlsym(library, kDsmEntryName)) : nullptr;
  if (entry == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  Application parent;
  parent.installEventFilter(&parent);
  std::strcpy(application.ProductName, "Feeder batch");
  void* parentHandle = &parent;
  QElapsedTimer timer;
  timer.start();
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parentHandle);
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &source);
  if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source) != TWRC_SUCCESS) {
    std::fprintf(stderr, "no source\n");
    return 1;
  }
  SetOneValue(CAP_FEEDERENABLED, TWTY_BOOL, 1);
  SetOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB);
  SetOneValue(ICAP_XRESOLUTION, TWTY_FIX32, static_cast<TW_UINT32>(dpi));
  TW_IMAGELAYOUT layout{};
  Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
  layout.Frame = {{0, 0}, {0, 0}, {8, 17039}, {11, 45220}};  // A4: 8.27 by 11.69 inches
  Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
  TW_USERINTERFACE ui{0, 1, &parent};
  const qint64 opened = timer.elapsed();
  Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  while (!parent.transferReady)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const qint64 scanned = timer.elapsed();
  const int pages = TransferAll(argv[2], toDisk);
  std::fprintf(stderr, "open %lld ms, scan %lld ms, transfer %lld ms\n", opened, scanned - opened,
               timer.elapsed() - scanned);
  Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parentHandle);
  std::printf("%d pages %.3f s\n", pages, timer.elapsed() / 1000.0);
  return pages > 0 ? 0 : 1;
}
