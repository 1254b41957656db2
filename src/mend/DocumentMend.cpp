#include "mend/DocumentMend.h"

#include <cstring>
#include <memory>
#include <optional>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "mend/PdfPages.h"
#include "mend/ReplacementFile.h"
#include "mend/TiffPages.h"
#include "platform/claims/FileClaims.h"

namespace {

using Status = MendOutcome::Status;

enum class Kind { Pdf, Tiff, Other };

Kind KindOf(const std::string& path) {
  const std::string extension = PathExtension(path);
  if (extension == "PDF")
    return Kind::Pdf;
  if (extension == "TIF" || extension == "TIFF")
    return Kind::Tiff;
  return Kind::Other;
}

MendOutcome Outcome(Status status, std::string message) {
  MendOutcome outcome;
  outcome.status = status;
  outcome.message = std::move(message);
  return outcome;
}

// A name in the removed pages' folder that is free now.
std::string FreeRemovedPagesPath(const std::string& folder, const std::string& extension) {
  for (int copy = 1;; ++copy) {
    const std::string name =
        copy == 1 ? "Removed pages" : "Removed pages (" + std::to_string(copy) + ")";
    const std::string path = folder + "/" + name + extension;
    if (!IdentityOf(path))
      return path;
  }
}

struct Target {
  std::string path;
  std::optional<FileIdentity> replaced;
  std::vector<PageSource> pages;
};

std::vector<PageSource> Sources(const std::vector<PlannedPage>& planned) {
  std::vector<PageSource> pages;
  for (const PlannedPage& page : planned)
    pages.push_back(PageSource{0, page.source, page.quarterTurns});
  return pages;
}

// Writes every target beside itself, then moves them into place in order: the
// document that is replaced comes last, so until then every page is still
// where it was.
MendOutcome WriteTargets(PageFiles& sources, const std::vector<Target>& targets) {
  std::vector<std::unique_ptr<ReplacementFile>> files;
  std::vector<PageOutput> outputs;
  for (const Target& target : targets) {
    files.push_back(std::make_unique<ReplacementFile>(target.path, target.replaced));
    if (const int error = files.back()->Create(); error != 0)
      return Outcome(Status::Failed, target.path + ": " + std::strerror(error));
    outputs.push_back(PageOutput{files.back()->TemporaryPath(), target.pages});
  }
  if (const auto failure = sources.Write(outputs))
    return Outcome(Status::Failed, *failure);
  MendOutcome outcome;
  // The first target is the mended document: it is committed last.
  for (std::size_t i = files.size(); i-- > 0;) {
    if (const int error = files[i]->Commit(); error != 0)
      return Outcome(Status::Failed,
                     targets[i].path + ": " +
                         (error == EEXIST ? std::string("it changed or appeared meanwhile")
                                          : std::string(std::strerror(error))));
    outcome.written.insert(outcome.written.begin(), targets[i].path);
  }
  return outcome;
}

std::unique_ptr<PageFiles> OpenFiles(Kind kind, const std::vector<std::string>& files,
                                     std::string& error) {
  return kind == Kind::Pdf ? OpenPdfFiles(files, error) : OpenTiffFiles(files, error);
}

}  // namespace

std::string RemovedPagesFolder(const std::string& document) {
  return RemoveExtension(document) + " (removed pages)";
}

MendOutcome MendPages(const PagesRequest& request) {
  const Kind kind = KindOf(request.document);
  if (kind == Kind::Other)
    return Outcome(Status::BadRequest, "only PDF and TIFF documents can be mended");
  const bool inPlace = request.output.empty();
  if (!inPlace && KindOf(request.output) != kind)
    return Outcome(Status::BadRequest, request.output + " is not of the document's kind");
  // What is read now is the document that may be replaced, and nothing else.
  const std::optional<FileIdentity> identity = IdentityOf(request.document);
  if (!identity)
    return Outcome(Status::Unreadable, request.document + ": " + std::strerror(errno));
  std::string error;
  const std::unique_ptr<PageFiles> files = OpenFiles(kind, {request.document}, error);
  if (!files)
    return Outcome(Status::Unreadable, error);
  PagePlan plan;
  if (auto problem = PlanPages(files->PageCounts().front(), request.changes, plan))
    return Outcome(Status::BadRequest, *problem);
  if (!plan.rest.empty() && request.rest.empty())
    return Outcome(Status::BadRequest, "no name for the pages after the split");
  Log(LOG_LOCATION, "MendPages(%s): %zu pages kept, %zu split off, %zu removed",
      request.document.c_str(), plan.kept.size(), plan.rest.size(), plan.removed.size());

  std::vector<Target> targets;
  targets.push_back(Target{inPlace ? request.document : request.output,
                           inPlace ? identity : std::nullopt, Sources(plan.kept)});
  if (!plan.rest.empty())
    targets.push_back(Target{request.rest, std::nullopt, Sources(plan.rest)});
  // A mend into a new file leaves every page in the document itself.
  if (!plan.removed.empty() && inPlace) {
    const std::string folder = RemovedPagesFolder(request.document);
    if (const int error = FileClaims::CreateFolder(folder); error != 0 && error != EEXIST)
      return Outcome(Status::Failed, folder + ": " + std::strerror(error));
    const std::string extension = request.document.substr(request.document.find_last_of('.'));
    targets.push_back(
        Target{FreeRemovedPagesPath(folder, extension), std::nullopt, Sources(plan.removed)});
  }
  return WriteTargets(*files, targets);
}

MendOutcome JoinDocuments(const std::vector<std::string>& documents, const std::string& output) {
  if (documents.size() < 2)
    return Outcome(Status::BadRequest, "at least two documents are joined");
  const Kind kind = KindOf(output);
  for (const std::string& document : documents)
    if (KindOf(document) != kind || kind == Kind::Other)
      return Outcome(Status::BadRequest,
                     "only PDF documents or TIFF documents are joined, "
                     "into a file of their kind");
  std::string error;
  const std::unique_ptr<PageFiles> files = OpenFiles(kind, documents, error);
  if (!files)
    return Outcome(Status::Unreadable, error);
  const std::vector<int> counts = files->PageCounts();
  Target target{output, std::nullopt, {}};
  for (std::size_t file = 0; file < documents.size(); ++file)
    for (int page = 0; page < counts[file]; ++page)
      target.pages.push_back(PageSource{file, page, 0});
  Log(LOG_LOCATION, "JoinDocuments(%s): %zu documents, %zu pages", output.c_str(), documents.size(),
      target.pages.size());
  return WriteTargets(*files, {target});
}
