// One feeder batch scanned through the real main window (offscreen) into one
// compressed PDF document, as a user would: the folder chosen in the tree, the
// name typed, SCAN NOW! pressed, Done Scanning at the end. Prints the pages of
// the document, the seconds from the scan command to the document on disk, the
// longest gap between two turns of the event loop (a 10 ms heartbeat) and the
// peak resident memory of the process.
//
//   scan_window_batch <sheets> <dpi> [--fake <fake manager library>] [--searchable]
//
// With --searchable each page's text is recognised while the batch goes on, as
// a user's searchable PDF is.
//
// Over SANE (the script points SANE_CONFIG_DIR at the test backend) the feeder
// runs dry after <sheets> sheets; with --fake, the fake manager makes <sheets>
// A4 pages, one at a time.
#include <dlfcn.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FakeDsmScript.h"
#include "SaneStartFaults.h"
#include "core/Paths.h"
#include "platform/Prompt.h"
#include "scan/CFoliantDlg.h"
#include "scan/ScanNextPageDlg.h"
#include "settings/AppSettings.h"
#include "settings/PerFolderPreferences.h"
#include "tree/CTreeFileCtrl.h"

namespace {

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0)
      return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// The fake manager delivers `sheets` A4 pages at `dpi` from one template page.
bool ScriptFakeFeeder(const char* library, int sheets, int dpi) {
  void* handle = ::dlopen(library, RTLD_NOW | RTLD_GLOBAL);
  auto scriptOf =
      handle ? reinterpret_cast<FakeDsmScriptProc>(::dlsym(handle, kFakeDsmScriptName)) : nullptr;
  if (scriptOf == nullptr)
    return false;
  FakeDsmScript& script = *scriptOf();
  script.repeatedPage = MakeFakePage(8268 * dpi / 1000, 11693 * dpi / 1000, 0xc8);
  script.repeatCount = sheets;
  script.eventsOnEnable = {MSG_XFERREADY};
  // A glass of 8.5 by 14 inches (FIX32 whole part in the low word).
  script.capabilities[ICAP_PHYSICALWIDTH] = {TWON_ONEVALUE, TWTY_FIX32, {8u | (32768u << 16)}};
  script.capabilities[ICAP_PHYSICALHEIGHT] = {TWON_ONEVALUE, TWTY_FIX32, {14u}};
  ::setenv("DOCKETEER_DSM", library, 1);
  return true;
}

int CountPdfPages(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string tag = "/Type /Page";
  int count = 0;
  for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1))
    count += at + tag.size() < text.size() && text[at + tag.size()] != 's' ? 1 : 0;
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const bool searchable = argc > 3 && std::string(argv[argc - 1]) == "--searchable";
  if (searchable)
    --argc;
  if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--fake")) {
    std::fputs("usage: scan_window_batch <sheets> <dpi> [--fake <library>] [--searchable]\n", stderr);
    return 1;
  }
  const int sheets = std::atoi(argv[1]);
  const int dpi = std::atoi(argv[2]);
  if (argc == 5 && !ScriptFakeFeeder(argv[4], sheets, dpi)) {
    std::fprintf(stderr, "cannot load the fake manager %s\n", argv[4]);
    return 1;
  }
  // A feeder with `sheets` sheets: the next start finds it empty.
  FailSaneStartFrom(sheets + 1, SANE_STATUS_NO_DOCS);

  QApplication application(argc, argv);
  QApplication::setOrganizationName("Ferncastle");
  QApplication::setApplicationName("Docketeer");
  QSettings().setValue("DataSourceManager/ScanSource/" + QByteArray("test:0").toHex(),
                       "Automatic Document Feeder");
  AppSettings settings;
  settings.SetResolution(dpi);
  settings.SetPixelType(PixelType::ColorHigh);
  settings.SetFileFormatType(FileFormatType::PdfCompressed);
  settings.SetViewAfterSaving(false);
  // Neither scanimage nor img2pdf reads the text of the pages.
  settings.SetMakePdfSearchable(searchable);
  Prompt::SetResponder([](const PromptRequest& request) {
    std::fprintf(stderr, "asked: %s\n", qPrintable(request.text));
    return PromptAnswer::Ok;
  });

  const std::string folder = AppSettings::DefaultArchiveRootFolder() + "Batches/";
  std::filesystem::create_directories(folder);
  FolderChoices stored;
  stored.multiPage = true;
  stored.documentSize = DocumentSize("A4", 8268, 11693);
  PerFolderPreferences(folder).WriteAll(stored);

  CFoliantDlg window;
  ScanWorkflowSeams seams;
  seams.chooseNextPage = [](int) { return static_cast<int>(DONE_SCANNING); };
  seams.viewFile = [](const std::string&, bool) {};
  window.SetScanWorkflowSeams(std::move(seams));
  window.show();
  QApplication::processEvents();
  window.findChild<CTreeFileCtrl*>("destinationTree")
      ->SelectPath(RemoveTrailingSeparator(folder), false);
  QApplication::processEvents();
  window.findChild<QLineEdit*>("destinationNameEdit")->setText("Batch");

  QElapsedTimer sinceBeat;
  qint64 longestGap = 0;
  QTimer heartbeat;
  QObject::connect(&heartbeat, &QTimer::timeout,
                   [&] { longestGap = std::max(longestGap, sinceBeat.restart()); });
  QElapsedTimer clock;
  clock.start();
  sinceBeat.start();
  heartbeat.start(10);
  window.findChild<QPushButton*>("scanButton")->click();
  while (window.Workflow().IsScanning())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  QApplication::processEvents();
  const double seconds = clock.elapsed() / 1000.0;
  heartbeat.stop();

  const int pages = CountPdfPages(folder + "Batch.pdf");
  std::printf("pages %d seconds %.3f longest-stall-ms %lld peak-kib %ld\n", pages, seconds,
              static_cast<long long>(longestGap), PeakResidentKiB());
  window.reject();
  return pages == sheets ? 0 : 2;
}
