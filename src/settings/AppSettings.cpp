#include "settings/AppSettings.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <limits>
#include <optional>

#include "core/Paths.h"
#include "ocr/RecognitionLanguages.h"
#include "settings/StoredText.h"

namespace {

const QString kSettingsGroup = QStringLiteral("Settings");

constexpr std::int32_t kDefaultResolution = 200;
constexpr PixelType kDefaultPixelType = PixelType::ColorHigh;
constexpr FileFormatType kDefaultFileFormatType = FileFormatType::Tiff;
constexpr std::int32_t kDefaultSavingSpeed = 1000000;
constexpr std::int32_t kDefaultCombiningSpeed = 100000;
constexpr std::int32_t kDefaultExpandingSpeed = 100000;
constexpr ScanAreaSize kDefaultScanArea{8500, 11693};

QString KeyPath(const QString& group, const char* key) {
  return group + QLatin1Char('/') + QLatin1String(key);
}

}  // namespace

// A stored number, or nothing when the key is absent or holds no 32-bit integer.
std::optional<std::int32_t> AppSettings::StoredNumber(const QString& group, const char* key) const {
  const QVariant value = store_.value(KeyPath(group, key));
  bool ok = false;
  const qlonglong number = value.toLongLong(&ok);
  if (!value.isValid() || !ok || number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(number);
}

std::int32_t AppSettings::ReadNumber(const char* key, std::int32_t defaultValue) const {
  return StoredNumber(kSettingsGroup, key).value_or(defaultValue);
}

// A stored number that must name one of `offered`; anything else is the default.
template <typename Value, typename FromValue>
Value AppSettings::ReadOffered(const char* key, Value defaultValue,
                               const std::vector<Value>& offered, FromValue fromValue) const {
  const std::optional<std::int32_t> stored = StoredNumber(kSettingsGroup, key);
  const std::optional<Value> value = stored ? fromValue(*stored) : std::nullopt;
  return value && std::ranges::find(offered, *value) != offered.end() ? *value : defaultValue;
}

bool AppSettings::ReadBool(const char* key, bool defaultValue) const {
  return ReadNumber(key, defaultValue) != 0;
}

void AppSettings::WriteNumber(const QString& group, const char* key, std::int32_t value) {
  store_.setValue(KeyPath(group, key), value);
}

void AppSettings::WriteNumber(const char* key, std::int32_t value) {
  WriteNumber(kSettingsGroup, key, value);
}

void AppSettings::WriteBool(const char* key, bool value) {
  WriteNumber(key, value ? 1 : 0);
}

bool AppSettings::GetShowScannerUi() const {
  return false;
}
void AppSettings::SetShowScannerUi(bool show) {
  WriteBool("ShowScannerUi", show);
}

std::int32_t AppSettings::GetResolution() const {
  return ReadOffered("Resolution", kDefaultResolution, OfferedResolutions(),
                     [](std::int32_t value) { return std::optional<std::int32_t>(value); });
}
void AppSettings::SetResolution(std::int32_t dotsPerInch) {
  WriteNumber("Resolution", dotsPerInch);
}

PixelType AppSettings::GetPixelType() const {
  return ReadOffered("PixelType", kDefaultPixelType, OfferedPixelTypes(), PixelTypeFromValue);
}
void AppSettings::SetPixelType(PixelType pixelType) {
  WriteNumber("PixelType", PixelTypeValue(pixelType));
}

FileFormatType AppSettings::GetFileFormatType() const {
  return ReadOffered("FileFormatType", kDefaultFileFormatType, OfferedFileFormatTypes(),
                     FileFormatTypeFromValue);
}
void AppSettings::SetFileFormatType(FileFormatType fileFormatType) {
  WriteNumber("FileFormatType", FileFormatTypeValue(fileFormatType));
}

Units AppSettings::GetUnits() const {
  const auto fallback = DefaultUnits();
  const std::int32_t value = ReadNumber("Units", static_cast<std::int32_t>(fallback));
  return IsValidUnits(value) ? static_cast<Units>(value) : fallback;
}
void AppSettings::SetUnits(Units units) {
  WriteNumber("Units", static_cast<std::int32_t>(units));
}

bool AppSettings::GetViewAfterSaving() const {
  return ReadBool("ViewAfterSaving", true);
}
void AppSettings::SetViewAfterSaving(bool view) {
  WriteBool("ViewAfterSaving", view);
}

bool AppSettings::GetUseDefaultViewer() const {
  return ReadBool("UseDefaultViewer", false);
}
void AppSettings::SetUseDefaultViewer(bool useDefault) {
  WriteBool("UseDefaultViewer", useDefault);
}

bool AppSettings::GetUpdateDestinationAfterScanning() const {
  return ReadBool("UpdateDestinationAfterScanning", true);
}
void AppSettings::SetUpdateDestinationAfterScanning(bool update) {
  WriteBool("UpdateDestinationAfterScanning", update);
}

std::int32_t AppSettings::GetEstimatedSavingSpeed() const {
  return ReadNumber("EstimatedSavingSpeed", kDefaultSavingSpeed);
}
void AppSettings::SetEstimatedSavingSpeed(std::int32_t bytesPerSecond) {
  WriteNumber("EstimatedSavingSpeed", bytesPerSecond);
}

std::int32_t AppSettings::GetEstimatedCombiningSpeed() const {
  return ReadNumber("EstimatedCombiningSpeed", kDefaultCombiningSpeed);
}
void AppSettings::SetEstimatedCombiningSpeed(std::int32_t bytesPerSecond) {
  WriteNumber("EstimatedCombiningSpeed", bytesPerSecond);
}

std::int32_t AppSettings::GetEstimatedExpandingSpeed() const {
  return ReadNumber("EstimatedExpandingSpeed", kDefaultExpandingSpeed);
}
void AppSettings::SetEstimatedExpandingSpeed(std::int32_t bytesPerSecond) {
  WriteNumber("EstimatedExpandingSpeed", bytesPerSecond);
}

bool AppSettings::GetMakePdfSearchable() const {
  if (StoredNumber(kSettingsGroup, "MakePdfSearchable"))
    return ReadBool("MakePdfSearchable", false);
  return !InstalledRecognitionLanguages().empty();
}

void AppSettings::SetMakePdfSearchable(bool searchable) {
  WriteBool("MakePdfSearchable", searchable);
}

CleanupChoices AppSettings::GetNewFolderCleanup() const {
  return CleanupChoices{ReadBool("SkipBlankPages", false), ReadBool("UprightPages", false),
                        ReadBool("DeskewPages", false)};
}

void AppSettings::SetNewFolderCleanup(const CleanupChoices& cleanup) {
  WriteBool("SkipBlankPages", cleanup.skipBlank);
  WriteBool("UprightPages", cleanup.upright);
  WriteBool("DeskewPages", cleanup.deskew);
}

// Each code names a data file, so only plain names (joined by "+" for a page in
// several languages) are taken from the store.
std::string AppSettings::GetRecognitionLanguage() const {
  static const QRegularExpression kCode(
      QStringLiteral("^[A-Za-z0-9_-]{1,40}(\\+[A-Za-z0-9_-]{1,40}){0,7}$"));
  const QString stored = store_.value(KeyPath(kSettingsGroup, "RecognitionLanguage")).toString();
  if (kCode.match(stored).hasMatch())
    return stored.toStdString();
  return DefaultRecognitionLanguage(InstalledRecognitionLanguages(),
                                    QLocale::system().name().toStdString());
}

void AppSettings::SetRecognitionLanguage(const std::string& language) {
  store_.setValue(KeyPath(kSettingsGroup, "RecognitionLanguage"), QString::fromStdString(language));
}

std::string AppSettings::GetArchiveRootFolder() const {
  const QVariant value = store_.value(KeyPath(kSettingsGroup, "ArchiveRootFolder"));
  const std::string stored = value.typeId() == QMetaType::QByteArray
                                 ? value.toByteArray().toStdString()
                                 : value.toString().toStdString();
  // An empty or relative root would file documents in "/" or wherever the
  // program happens to start; neither is a folder the user chose.
  if (stored.empty() || stored.front() != '/')
    return DefaultArchiveRootFolder();
  return EnsureTrailingSeparator(stored);
}

void AppSettings::SetArchiveRootFolder(const std::string& folder) {
  // Text, as every version reads it; a root whose name is not UTF-8 (copied
  // from an old share) is kept as its bytes, which text would spoil.
  const QString key = KeyPath(kSettingsGroup, "ArchiveRootFolder");
  if (IsUtf8(folder))
    store_.setValue(key, QString::fromStdString(folder));
  else
    store_.setValue(key, QByteArray::fromStdString(folder));
}

std::string AppSettings::DefaultArchiveRootFolder() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty())
    documents = QDir::homePath();
  return EnsureTrailingSeparator(documents.toStdString()) + "Docketeer/";
}

std::vector<std::int32_t> AppSettings::OfferedResolutions() {
  return {75, 100, 150, 200, 300, 600, 1200, 2400, 4800, 9600};
}

std::vector<PixelType> AppSettings::OfferedPixelTypes() {
  return {PixelType::BlackAndWhite, PixelType::Gray, PixelType::ColorLow, PixelType::ColorHigh};
}

std::vector<FileFormatType> AppSettings::OfferedFileFormatTypes() {
  // TIFF (LZW) is written by the writers but never offered to the user.
  return {FileFormatType::Bmp,
          FileFormatType::Jpeg,
          FileFormatType::Gif,
          FileFormatType::Tiff,
          FileFormatType::Png,
          FileFormatType::PdfCompressed,
          FileFormatType::PdfUncompressed};
}

std::vector<FileNameFormat> AppSettings::OfferedNameFormats() {
  return PredefinedFormats();
}

ScannerOrigin AppSettings::GetScannerOrigin(const std::string& scannerName) const {
  if (scannerName.empty())
    return ScannerOrigin::Unknown;
  const auto stored = StoredNumber(QString::fromStdString(ScannerGroupName(scannerName)), "Origin");
  return ScannerOriginFromValue(stored.value_or(0));
}

void AppSettings::SetScannerOrigin(const std::string& scannerName, ScannerOrigin origin) {
  if (scannerName.empty())
    return;
  WriteNumber(QString::fromStdString(ScannerGroupName(scannerName)), "Origin",
              static_cast<std::int32_t>(origin));
}

ScanAreaSize AppSettings::GetScanArea(const std::string& scannerName, IDataSourceSize& source) {
  if (scannerName.empty())
    return kDefaultScanArea;
  const QString group = QString::fromStdString(ScannerGroupName(scannerName));
  const ScanAreaSize stored{StoredNumber(group, "Width").value_or(0),
                            StoredNumber(group, "Height").value_or(0)};
  // Only a positive area is one to draw: zero means "not known yet".
  const auto usable = [](ScanAreaSize area) { return area.width > 0 && area.height > 0; };
  if (usable(stored))
    return stored;
  if (GetScannerOrigin(scannerName) == ScannerOrigin::Unknown)
    return kDefaultScanArea;
  const ScanAreaSize reported = source.GetDataSourceSize();
  if (!usable(reported))
    return kDefaultScanArea;
  WriteNumber(group, "Width", reported.width);
  WriteNumber(group, "Height", reported.height);
  return reported;
}

ScanAreaSize AppSettings::DefaultScanArea() {
  return kDefaultScanArea;
}

std::string AppSettings::ScannerGroupName(const std::string& scannerName) {
  std::string group;
  for (const char c : scannerName) {
    if (c == '%') {
      group += "%25";
    } else if (c == '/') {
      group += "%2F";
    } else if (c == '\\') {
      group += "%5C";
    } else {
      group += c;
    }
  }
  return group;
}
