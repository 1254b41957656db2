#include "workflow/PageRecognition.h"

#include <QString>
#include <utility>

#include "core/DebugLog.h"
#include "core/Prompter.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/RecognitionPool.h"
#include "settings/AppSettings.h"

namespace {

// Set once from the command line before the window opens, read on the GUI thread.
std::optional<bool> runSearchable;
std::optional<std::string> runLanguage;

}  // namespace

PageRecognition::PageRecognition() = default;
PageRecognition::~PageRecognition() = default;

void PageRecognition::SetRunChoice(std::optional<bool> searchable,
                                   std::optional<std::string> language) {
  runSearchable = searchable;
  runLanguage = std::move(language);
}

std::string PageRecognition::Language() {
  return runLanguage.value_or(AppSettings().GetRecognitionLanguage());
}

std::shared_ptr<RecognitionPool> PageRecognition::Pool(FileFormatType format) {
  if (!IsContainerFormat(format))
    return nullptr;
  AppSettings settings;
  if (!runSearchable.value_or(settings.GetMakePdfSearchable()))
    return nullptr;
  const std::string language = runLanguage.value_or(settings.GetRecognitionLanguage());
  const std::string folder = RecognitionDataFolder();
  if (!pool_ || pool_->Language() != language || poolFolder_ != folder) {
    Log(LOG_LOCATION, "PageRecognition::Pool(): language %s in %s", language.c_str(),
        folder.c_str());
    pool_ = std::make_shared<RecognitionPool>(RecognitionPool::Options{folder, language});
    poolFolder_ = folder;
  }
  return pool_;
}

void PageRecognition::PageSaved(FileFormatType format, const std::string& pageFile) {
  if (const auto pool = Pool(format))
    pool->Submit(pageFile);
}

std::shared_ptr<PageTextSource> PageRecognition::ForDocument(FileFormatType format) {
  return Pool(format);
}

std::vector<std::string> PageRecognition::PageTexts(
    const std::vector<std::string>& pageFiles) const {
  // Only finished pages are asked, so this never waits nor starts a page.
  if (!pool_ || pageFiles.empty() ||
      pool_->CountFinished(pageFiles) != static_cast<int>(pageFiles.size()))
    return {};
  std::vector<std::string> texts;
  for (const std::string& pageFile : pageFiles) {
    const PageTextResult result = pool_->TextOf(pageFile);
    if (!result.recognized)
      return {};
    texts.push_back(PlainText(result.text));
  }
  return texts;
}

int PageRecognition::CountRead(const std::vector<std::string>& pageFiles) const {
  return pool_ ? pool_->CountFinished(pageFiles) : -1;
}

void PageRecognition::DocumentWritten(const std::vector<std::string>& pageFiles,
                                      Prompter& prompter) {
  if (!pool_)
    return;
  pool_->Forget(pageFiles);
  const std::string problem = pool_->TakeProblem();
  if (problem.empty())
    return;
  Log(LOG_LOCATION, "PageRecognition::DocumentWritten(): %s", problem.c_str());
  // The problem as the detail, so the command line can word its own advice around it.
  PromptRequest notice = Prompter::Notice(
      PromptId::SavedWithoutText,
      "The PDF document was saved without searchable text.  Install the language's data or "
      "choose another language in the advanced settings.");
  notice.detail = QString::fromStdString(problem);
  prompter.Ask(notice);
}
