#include "settings/PerFolderPreferences.h"

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "naming/SeriesOrder.h"
#include "settings/StoredText.h"

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kFileName = "_defaults.ini";

std::string BoolText(bool value) {
  return value ? "1" : "0";
}

std::string NumberText(std::int32_t value) {
  return std::to_string(value);
}

ProfileFile::KeyValues FormatValues(const FileNameFormat& format) {
  return {{"RecurrenceType", NumberText(static_cast<std::int32_t>(format.recurrence))},
          {"ItemType", NumberText(static_cast<std::int32_t>(format.item))},
          {"RelationType", NumberText(static_cast<std::int32_t>(format.relation))},
          {"IndexType", NumberText(static_cast<std::int32_t>(format.index))}};
}

ProfileFile::KeyValues SizeValues(const DocumentSize& size) {
  return {{"DocumentSizeName", OnOneLine(size.Name())},
          {"DocumentSizeWidth", NumberText(size.Width())},
          {"DocumentSizeHeight", NumberText(size.Height())}};
}

ProfileFile::KeyValues CleanupValues(const CleanupChoices& cleanup) {
  return {{"SkipBlankPages", BoolText(cleanup.skipBlank)},
          {"UprightPages", BoolText(cleanup.upright)},
          {"DeskewPages", BoolText(cleanup.deskew)}};
}

// Folder paths carry their trailing separator; one without it is a caller's mistake.
std::string CheckedFolder(std::string folder) {
  CheckPrecondition(CONTRACT_LOCATION, !folder.empty() && folder.back() == '/');
  return folder;
}

}  // namespace

PerFolderPreferences::PerFolderPreferences(std::string folder)
    : folder_(CheckedFolder(std::move(folder))), file_(folder_ + kFileName) {}

std::string PerFolderPreferences::FilePath() const {
  return folder_ + kFileName;
}

FileNameFormat PerFolderPreferences::DefaultFormat() {
  return FolderChoices{}.format;
}

DocumentSize PerFolderPreferences::DefaultDocumentSize() {
  return FolderChoices{}.documentSize;
}

std::string PerFolderPreferences::ReadText(const char* key, const std::string& defaultValue) const {
  const auto stored = file_.ReadString(kSection, key);
  if (!stored)
    return defaultValue;
  return CutToCharacters(Utf8OrLatin1(*stored), kMaxTextCharacters);
}

std::int32_t PerFolderPreferences::ReadInt(const char* key, std::int32_t defaultValue) const {
  return file_.ReadInt(kSection, key, defaultValue);
}

void PerFolderPreferences::Write(const ProfileFile::KeyValues& values) const {
  file_.WriteStrings(kSection, values);
}

// A format value: the key's default when absent, and -1 (which no format
// accepts) when present but not a number, so a damaged file reads as the
// default format instead of a mix of stored and default values.
std::int32_t PerFolderPreferences::ReadFormatValue(const char* key,
                                                   std::int32_t defaultValue) const {
  const auto stored = file_.ReadString(kSection, key);
  return stored ? ParseProfileInt(*stored).value_or(-1) : defaultValue;
}

FileNameFormat PerFolderPreferences::ReadFormat() const {
  const FileNameFormat fallback = DefaultFormat();
  const int recurrence = ReadFormatValue("RecurrenceType", static_cast<int>(fallback.recurrence));
  const int item = ReadFormatValue("ItemType", static_cast<int>(fallback.item));
  const int relation = ReadFormatValue("RelationType", static_cast<int>(fallback.relation));
  const int index = ReadFormatValue("IndexType", static_cast<int>(fallback.index));
  const auto format = FileNameFormatFromValues(recurrence, item, relation, index);
  if (!format) {
    Log(LOG_LOCATION, "PerFolderPreferences::ReadFormat(): unknown format %d, %d, %d, %d in %s",
        recurrence, item, relation, index, FilePath().c_str());
  }
  return format.value_or(fallback);
}

void PerFolderPreferences::WriteFormat(const FileNameFormat& format) const {
  Write(FormatValues(format));
}

std::string PerFolderPreferences::ReadLastDestination() const {
  return ReadText("LastDestination", std::string());
}

void PerFolderPreferences::WriteLastDestination(const std::string& destination) const {
  Write({{"LastDestination", OnOneLine(destination)}});
}

bool PerFolderPreferences::ReadMultiPage() const {
  return ReadInt("MultiPage", 0) != 0;
}

void PerFolderPreferences::WriteMultiPage(bool multiPage) const {
  Write({{"MultiPage", BoolText(multiPage)}});
}

bool PerFolderPreferences::ReadRotateNinety() const {
  return ReadInt("RotateNinety", 0) != 0;
}

void PerFolderPreferences::WriteRotateNinety(bool rotate) const {
  Write({{"RotateNinety", BoolText(rotate)}});
}

DocumentSize PerFolderPreferences::ReadDocumentSize() const {
  const DocumentSize fallback = DefaultDocumentSize();
  const auto dimension = [this](const char* key, std::int32_t defaultValue) {
    const std::int32_t value = ReadInt(key, defaultValue);
    return value >= 0 ? value : defaultValue;
  };
  return DocumentSize(ReadText("DocumentSizeName", fallback.Name()),
                      dimension("DocumentSizeWidth", fallback.Width()),
                      dimension("DocumentSizeHeight", fallback.Height()));
}

void PerFolderPreferences::WriteDocumentSize(const DocumentSize& size) const {
  Write(SizeValues(size));
}

CleanupChoices PerFolderPreferences::ReadCleanup(const CleanupChoices& newFolder) const {
  return CleanupChoices{ReadInt("SkipBlankPages", newFolder.skipBlank) != 0,
                        ReadInt("UprightPages", newFolder.upright) != 0,
                        ReadInt("DeskewPages", newFolder.deskew) != 0};
}

void PerFolderPreferences::WriteCleanup(const CleanupChoices& cleanup) const {
  Write(CleanupValues(cleanup));
}

FolderChoices PerFolderPreferences::ReadAll(const CleanupChoices& newFolderCleanup) const {
  return FolderChoices{ReadFormat(),       ReadLastDestination(), ReadMultiPage(),
                       ReadRotateNinety(), ReadDocumentSize(),    ReadCleanup(newFolderCleanup)};
}

void PerFolderPreferences::WriteAll(const FolderChoices& choices) const {
  ProfileFile::KeyValues values = FormatValues(choices.format);
  values.emplace_back("LastDestination", OnOneLine(choices.lastDestination));
  values.emplace_back("MultiPage", BoolText(choices.multiPage));
  values.emplace_back("RotateNinety", BoolText(choices.rotateNinety));
  const ProfileFile::KeyValues size = SizeValues(choices.documentSize);
  values.insert(values.end(), size.begin(), size.end());
  const ProfileFile::KeyValues cleanup = CleanupValues(choices.cleanup);
  values.insert(values.end(), cleanup.begin(), cleanup.end());
  // Scans into one folder may finish out of order: the recorded name only
  // moves forward along the series, settled under the folder's lock.
  file_.UpdateStrings(kSection, std::move(values),
                      [&choices](const ProfileText& current, ProfileFile::KeyValues& pending) {
                        const std::string stored =
                            current.Value(kSection, "LastDestination").value_or(std::string());
                        const std::string later = LaterInSeries(
                            choices.format, OnOneLine(choices.lastDestination), stored);
                        for (auto& [key, value] : pending)
                          if (key == "LastDestination")
                            value = later;
                      });
}

bool PerFolderPreferences::CanWrite() const {
  return file_.CanWrite();
}
