// Scans one feeder batch in colour through libdocketeer_dsm.so, as the program
// would, and writes each page as a BMP file: the same work scanimage --batch
// does when it writes PNM files. Prints the seconds the batch took.
//
//   dsm_feeder_batch <library> <output folder> [dpi] [--memory]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "BenchSession.h"
#include "twain/GlobalMemory.h"
#include "twain/TwainTypes.h"

namespace {

BenchSession session;

// The application's side of the event loop: DAT_EVENT sees every event.
class Application : public QObject {
 public:
  bool transferReady = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    TW_EVENT twainEvent{event, MSG_NULL};
    if (session.Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twainEvent) != TWRC_DSEVENT)
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
    if (session.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page) != TWRC_XFERDONE)
      return -1;
    if (toDisk)
      WriteBmp(page, folder + "/page" + std::to_string(++pages) + ".bmp");
    else
      ++pages;
    GlobalFree(page);
    session.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
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
  if (!session.Load(argv[1]))
    return 1;
  Application parent;
  parent.installEventFilter(&parent);
  QElapsedTimer timer;
  timer.start();
  if (!session.Open(&parent, "Feeder batch"))
    return 1;
  session.NegotiateColourA4(dpi);
  TW_USERINTERFACE ui{0, 1, &parent};
  const qint64 opened = timer.elapsed();
  session.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  while (!parent.transferReady)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const qint64 scanned = timer.elapsed();
  const int pages = TransferAll(argv[2], toDisk);
  std::fprintf(stderr, "open %lld ms, scan %lld ms, transfer %lld ms\n", opened, scanned - opened,
               timer.elapsed() - scanned);
  session.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
  session.Close();
  std::printf("%d pages %.3f s\n", pages, timer.elapsed() / 1000.0);
  return pages > 0 ? 0 : 1;
}
