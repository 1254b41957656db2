#include "workflow/ArchiveCommands.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/FileFormatType.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "settings/AppSettings.h"

namespace {

const char* const kPreferenceFile = "_defaults.ini";
constexpr int kHighestPageNumber = 99;

const QString kNoPagesFound =
    QStringLiteral("No image files to combine were found in the selected folder.");
const QString kSavingError = QStringLiteral(
    "There was an error saving the file.  Please make sure the file or folder is not read-only "
    "and that the disk is not full or write-protected.");
const QString kExpandingError = QStringLiteral(
    "There was an error expanding the file.  Please make sure the file or folder is not "
    "read-only and that the disk is not full or write-protected.");
const QString kDeleteOriginalQuestion = QStringLiteral("Do you want to delete the original file?");

QString Text(const std::string& path) {
  return QFile::decodeName(path.c_str());
}

std::string Bytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

unsigned int ExpectedRate(std::int32_t stored) {
  return static_cast<unsigned int>(std::max<std::int32_t>(stored, 1));
}

std::int32_t StoredRate(unsigned int measured) {
  return static_cast<std::int32_t>(std::min<unsigned int>(measured, INT32_MAX));
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

ArchiveCommands::ArchiveCommands(Seams seams) : seams_(std::move(seams)) {
  CheckPrecondition(CONTRACT_LOCATION, seams_.prompter != nullptr && seams_.trash &&
                                           seams_.createWorker && seams_.viewFile);
  if (!seams_.removeFolder)
    seams_.removeFolder = [this](const std::string& folder, const std::vector<std::string>& pages,
                                 bool removeFolder) {
      removal_.Remove(folder, pages, removeFolder);
    };
}

int ArchiveCommands::OnCombineToTiff(const std::string& folder, int pageWidth, int pageHeight,
                                     const ViewingChoices& viewing) {
  Log(LOG_LOCATION, "ArchiveCommands::OnCombineToTiff(): %s", folder.c_str());
  const std::string source = EnsureTrailingSeparator(folder);
  // Without a selection there is no folder, and the root is never a document.
  if (RemoveTrailingSeparator(source).empty())
    return 1;
  const std::string target =
      RemoveTrailingSeparator(source) + "." + FileFormatExtension(FileFormatType::Tiff);
  if (!ConfirmReplacing(target))
    return 1;
  const std::vector<std::string> pages = FindPageFiles(source);
  if (pages.empty()) {
    seams_.prompter->ShowNotice(PromptId::NoPagesFound, kNoPagesFound);
    return 1;
  }
  AppSettings settings;
  const std::unique_ptr<WriteWorker> worker = MakeWorker(FileFormatType::Tiff);
  worker->SetProgressCaption("Combining...");
  worker->SetExpectedRate(ExpectedRate(settings.GetEstimatedCombiningSpeed()));
  // The writer builds the TIFF under a temporary name and renames it into
  // place, so a target being replaced keeps its content until the new one is whole.
  if (Failed(worker->Save(pages, target, pageWidth, pageHeight))) {
    seams_.prompter->ShowError(PromptId::SaveFailed, kSavingError,
                               QString::fromStdString(worker->GetErrorText()));
    return 1;
  }
  settings.SetEstimatedCombiningSpeed(StoredRate(worker->MeasuredRate()));
  View(target, viewing);
  seams_.removeFolder(source, pages, HoldsOnly(source, pages));
  return 1;
}

int ArchiveCommands::ConvertToPdf(bool compressed, const std::string& source,
                                  const ViewingChoices& viewing) {
  Log(LOG_LOCATION, "ArchiveCommands::ConvertToPdf(): %s%s", source.c_str(),
      compressed ? " (compressed)" : "");
  if (source.empty() || EndsWithSeparator(source))
    return 1;
  const std::string target = RemoveExtension(source) + ".pdf";
  if (!ConfirmReplacing(target))
    return 1;

  // A fresh folder of our own beside the source (so on the same disk): a
  // folder of the user's named like the document is never written into.
  const std::string besideSource = ParentFolder(source);
  QTemporaryDir pagesFolder(Text(besideSource) + QLatin1Char('.') +
                            Text(PathFileName(RemoveExtension(source))) +
                            QStringLiteral("-pages-XXXXXX"));
  if (!pagesFolder.isValid()) {
    Log(LOG_LOCATION, "ArchiveCommands::ConvertToPdf(): %s",
        pagesFolder.errorString().toLocal8Bit().constData());
    seams_.prompter->ShowError(PromptId::PagesFolderFailed,
                               "Could not create the temporary folder in " + Text(besideSource) +
                                   ".  " + pagesFolder.errorString() + ".");
    return 1;
  }
  const std::string workFolder = EnsureTrailingSeparator(Bytes(pagesFolder.path()));

  AppSettings settings;
  const FileFormatType pageFormat = compressed ? FileFormatType::Jpeg : FileFormatType::Png;
  std::vector<std::string> pages;
  PageSize pageSize;
  {
    const std::unique_ptr<WriteWorker> expander = MakeWorker(pageFormat);
    expander->SetProgressCaption("Expanding...");
    expander->SetExpectedRate(ExpectedRate(settings.GetEstimatedExpandingSpeed()));
    const std::string nameFormat = "Page %03d." + FileFormatExtension(pageFormat);
    if (Failed(expander->Expand(source, workFolder, nameFormat, pages, pageSize))) {
      seams_.prompter->ShowError(PromptId::ExpandFailed, kExpandingError,
                                 QString::fromStdString(expander->GetErrorText()));
      return 1;
    }
    settings.SetEstimatedExpandingSpeed(StoredRate(expander->MeasuredRate()));
  }

  const FileFormatType pdfFormat =
      compressed ? FileFormatType::PdfCompressed : FileFormatType::PdfUncompressed;
  const std::unique_ptr<WriteWorker> combiner = MakeWorker(pdfFormat);
  combiner->SetProgressCaption("Combining...");
  combiner->SetExpectedRate(ExpectedRate(settings.GetEstimatedCombiningSpeed()));
  combiner->SetPageTextSource(recognition_.ForDocument(pdfFormat));
  const ResultCode combined = combiner->Save(pages, target, pageSize.width, pageSize.height);
  // The folder and its pages are ours alone, whatever the result.
  pagesFolder.remove();
  if (Failed(combined)) {
    seams_.prompter->ShowError(PromptId::SaveFailed, kSavingError,
                               QString::fromStdString(combiner->GetErrorText()));
    return 1;
  }
  recognition_.DocumentWritten(pages, *seams_.prompter);
  settings.SetEstimatedCombiningSpeed(StoredRate(combiner->MeasuredRate()));
  View(target, viewing);
  if (!seams_.prompter->AskYesNo(PromptId::DeleteOriginal, kDeleteOriginalQuestion))
    return 1;
  // To the trash, as the tree's Delete does, so a wrong answer can be undone.
  Log(LOG_LOCATION, "ArchiveCommands::ConvertToPdf(): moving %s to the trash", source.c_str());
  if (!seams_.trash(source))
    seams_.prompter->ShowError(PromptId::TrashFailed, "The original file " + Text(source) +
                                                          " could not be moved to the trash.");
  return 1;
}

std::vector<std::string> ArchiveCommands::FindPageFiles(const std::string& folder) {
  static const FileFormatType kOrder[] = {FileFormatType::Tiff, FileFormatType::Png,
                                          FileFormatType::Gif, FileFormatType::Jpeg,
                                          FileFormatType::Bmp};
  const std::string prefix = EnsureTrailingSeparator(folder);
  std::vector<std::string> pages;
  for (int number = 1; number <= kHighestPageNumber; ++number) {
    char name[24];
    std::snprintf(name, sizeof name, "Page %03d.", number);
    for (FileFormatType format : kOrder) {
      std::string path = prefix + name + FileFormatExtension(format);
      if (FileExists(path))
        pages.push_back(std::move(path));
    }
  }
  return pages;
}

bool ArchiveCommands::HoldsOnly(const std::string& folder, const std::vector<std::string>& pages) {
  const std::set<std::string> known(pages.begin(), pages.end());
  const std::string prefix = EnsureTrailingSeparator(folder);
  std::error_code error;
  for (std::filesystem::directory_iterator it(RemoveTrailingSeparator(prefix), error), end;
       !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name != kPreferenceFile && known.count(prefix + name) == 0)
      return false;
  }
  return !error;
}

void ArchiveCommands::View(const std::string& path, const ViewingChoices& viewing) {
  if (viewing.viewAfterSaving)
    seams_.viewFile(path, viewing.useDefaultViewer);
}

std::unique_ptr<WriteWorker> ArchiveCommands::MakeWorker(FileFormatType format) const {
  return seams_.createWorker(format);
}

bool ArchiveCommands::ConfirmReplacing(const std::string& target) {
  if (!FileExists(target))
    return true;
  return seams_.prompter->AskYesNo(
      PromptId::ReplaceDocument,
      "The destination " + Text(target) + " already exists.  Do you want to continue?",
      Text(target));
}
