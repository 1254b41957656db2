#include "scan/WindowSeams.h"

#include <QFile>

#include "platform/DesktopShell.h"
#include "scan/ScanNextPageDlg.h"
#include "writers/shell/DesktopHelpers.h"
#include "writers/worker/ImageWriterWorkerDlg.h"

namespace {

// Keeps the main window in front of the viewer.
auto Viewer(QWidget* owner) {
  return [owner](const std::string& path, bool useDefaultViewer) {
    ViewFile(path, useDefaultViewer, true, owner);
  };
}

auto Worker(QWidget* owner) {
  return [owner](FileFormatType format) -> std::unique_ptr<WriteWorker> {
    return std::make_unique<ImageWriterWorkerDlg>(format, owner);
  };
}

auto Trash() {
  return [](const std::string& path) {
    return DesktopShell::Instance().MoveToTrash(QFile::decodeName(path.c_str()));
  };
}

}  // namespace

ScanWorkflowSeams WindowWorkflowSeams(QWidget* owner, Prompter& prompter, ScanWorkflowSeams given) {
  if (given.prompter == nullptr)
    given.prompter = &prompter;
  if (!given.chooseNextPage)
    given.chooseNextPage = [owner](int pageNumber) {
      ScanNextPageDlg dialog(owner);
      dialog.SetPageNumber(pageNumber);
      dialog.exec();
      return dialog.GetChoice();
    };
  if (!given.viewFile)
    given.viewFile = Viewer(owner);
  if (!given.createWorker)
    given.createWorker = Worker(owner);
  if (!given.trash)
    given.trash = Trash();
  return given;
}

ArchiveCommands::Seams WindowArchiveSeams(QWidget* owner, Prompter& prompter) {
  ArchiveCommands::Seams seams;
  seams.prompter = &prompter;
  seams.trash = Trash();
  seams.createWorker = Worker(owner);
  seams.viewFile = Viewer(owner);
  return seams;
}
