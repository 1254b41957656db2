#include "ocr/RecognitionLanguages.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kDebianDataFolders[] = {
    "/usr/share/tesseract-ocr/5/tessdata/",
    "/usr/share/tesseract-ocr/4.00/tessdata/",
    "/usr/share/tessdata/",
};
constexpr const char kDataSuffix[] = ".traineddata";

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/')
    folder += '/';
  return folder;
}

bool IsLanguageFile(const std::filesystem::path& file, std::string& code) {
  const std::string name = file.filename().string();
  const std::size_t suffix = sizeof(kDataSuffix) - 1;
  if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kDataSuffix) != 0)
    return false;
  code = name.substr(0, name.size() - suffix);
  return code != "osd" && code != "equ";
}

}  // namespace

std::string RecognitionDataFolder() {
  if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix != nullptr && *prefix != '\0')
    return WithTrailingSlash(prefix);
  for (const char* folder : kDebianDataFolders)
    if (IsFolder(folder))
      return folder;
  return {};
}

std::vector<std::string> InstalledRecognitionLanguages(const std::string& folder) {
  std::vector<std::string> languages;
  std::error_code error;
  if (folder.empty())
    return languages;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string code;
    if (entry.is_regular_file(error) && IsLanguageFile(entry.path(), code))
      languages.push_back(code);
  }
  std::ranges::sort(languages);
  return languages;
}

std::vector<std::string> InstalledRecognitionLanguages() {
  return InstalledRecognitionLanguages(RecognitionDataFolder());
}

// The engine names most languages by their three-letter terminology code;
// Chinese comes in two data sets, by script.
std::string RecognitionLanguageOfLocale(const std::string& localeName) {
  const std::string name = localeName.substr(0, localeName.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX")
    return {};
  const QLocale locale(QString::fromStdString(name));
  if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
    return {};
  if (locale.language() == QLocale::Chinese) {
    const bool traditional = locale.script() == QLocale::TraditionalChineseScript ||
                             name.ends_with("_TW") || name.ends_with("_HK");
    return traditional ? "chi_tra" : "chi_sim";
  }
  QString code = QLocale::languageToCode(locale.language(), QLocale::ISO639Part2T);
  if (code.isEmpty())
    code = QLocale::languageToCode(locale.language(), QLocale::ISO639Part3);
  return code.toStdString();
}

std::string DefaultRecognitionLanguage(const std::vector<std::string>& installed,
                                       const std::string& localeName) {
  const std::string own = RecognitionLanguageOfLocale(localeName);
  if (!own.empty() && std::ranges::find(installed, own) != installed.end())
    return own;
  return "eng";
}

std::string RecognitionLanguageName(const std::string& code) {
  const QString base = QString::fromStdString(code.substr(0, code.find('_')));
  const QLocale::Language language = QLocale::codeToLanguage(base, QLocale::ISO639Part2);
  if (language == QLocale::AnyLanguage || language == QLocale::C)
    return code;
  return QLocale::languageToString(language).toStdString() + " (" + code + ")";
}

bool WrittenInLatin(const std::string& languages) {
  const QStringList codes = QString::fromStdString(languages).split('+', Qt::SkipEmptyParts);
  if (codes.isEmpty())
    return false;
  for (const QString& code : codes) {
    // A code may name its script after the language: "srp_latn", "uzb_cyrl", "chi_sim".
    const QString script = code.section('_', 1).toLower();
    if (!script.isEmpty()) {
      if (script != "latn")
        return false;
      continue;
    }
    const QLocale::Language language = QLocale::codeToLanguage(code, QLocale::ISO639Part2);
    if (language == QLocale::AnyLanguage || language == QLocale::C ||
        QLocale(language).script() != QLocale::LatinScript)
      return false;
  }
  return true;
}
