#include "app/RecognitionOptions.h"

#include <algorithm>
#include <vector>

#include "ocr/RecognitionLanguages.h"
#include "workflow/PageRecognition.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? "none" : text;
}

}  // namespace

std::optional<std::string> ApplyRecognitionOptions(const CommandArguments& arguments) {
  if (arguments.Has("--ocr") && arguments.Has("--no-ocr"))
    return "--ocr and --no-ocr exclude each other";
  std::optional<bool> searchable;
  if (arguments.Has("--ocr") || arguments.Has("--no-ocr"))
    searchable = arguments.Has("--ocr");
  std::optional<std::string> language;
  if (arguments.Has("--ocr-language")) {
    language = arguments.Value("--ocr-language");
    const std::vector<std::string> installed = InstalledRecognitionLanguages();
    std::string::size_type start = 0;
    for (;;) {
      const std::string::size_type plus = language->find('+', start);
      const std::string part = language->substr(start, plus - start);
      if (std::find(installed.begin(), installed.end(), part) == installed.end())
        return "the recognition language \"" + part +
               "\" is not installed (installed: " + Joined(installed) + ")";
      if (plus == std::string::npos)
        break;
      start = plus + 1;
    }
  }
  PageRecognition::SetRunChoice(searchable, language);
  return std::nullopt;
}
