#pragma once

#include <QSettings>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/CleanupChoices.h"
#include "core/FileFormatType.h"
#include "core/PixelType.h"
#include "naming/FileNameFormat.h"
#include "settings/IDataSourceSize.h"
#include "settings/ScannerOrigin.h"
#include "settings/Units.h"

// The user's choices that apply everywhere, kept in QSettings (organisation
// and application name of the running program) in the group "Settings", and
// one group per scanner. Holds no values of its own: every call reads or
// writes the store, and writes reach the disk together when the event loop
// next runs or the object is destroyed (one file rewrite per save, not one per
// key). A missing or unusable stored value reads as its default; writes
// report nothing.
class AppSettings {
 public:
  AppSettings() = default;
  AppSettings(const AppSettings&) = delete;
  AppSettings& operator=(const AppSettings&) = delete;

  // Always false whatever is stored, so the scanner's own dialog is off at start.
  bool GetShowScannerUi() const;
  void SetShowScannerUi(bool show);

  // Values outside the offered lists read as the default, so no dialog is
  // ever handed a current value it cannot select.
  std::int32_t GetResolution() const;
  void SetResolution(std::int32_t dotsPerInch);
  PixelType GetPixelType() const;
  void SetPixelType(PixelType pixelType);
  FileFormatType GetFileFormatType() const;
  void SetFileFormatType(FileFormatType fileFormatType);
  Units GetUnits() const;
  void SetUnits(Units units);

  bool GetViewAfterSaving() const;
  void SetViewAfterSaving(bool view);
  bool GetUseDefaultViewer() const;
  void SetUseDefaultViewer(bool useDefault);
  bool GetUpdateDestinationAfterScanning() const;
  void SetUpdateDestinationAfterScanning(bool update);

  // Bytes per second last measured; see TransferRate.h for the arithmetic.
  std::int32_t GetEstimatedSavingSpeed() const;
  void SetEstimatedSavingSpeed(std::int32_t bytesPerSecond);
  std::int32_t GetEstimatedCombiningSpeed() const;
  void SetEstimatedCombiningSpeed(std::int32_t bytesPerSecond);
  std::int32_t GetEstimatedExpandingSpeed() const;
  void SetEstimatedExpandingSpeed(std::int32_t bytesPerSecond);

  // Text recognition for PDF documents: on by default when a recognition
  // language is installed.
  bool GetMakePdfSearchable() const;
  void SetMakePdfSearchable(bool searchable);
  // The recognition language's code ("eng", "deu"); by default the user's
  // locale's language when installed, else "eng". A stored code that is not
  // installed is kept, so that its absence is reported rather than hidden.
  std::string GetRecognitionLanguage() const;
  void SetRecognitionLanguage(const std::string& language);

  // The page clean-up a folder starts with until the user chooses its own;
  // all off unless set.
  CleanupChoices GetNewFolderCleanup() const;
  void SetNewFolderCleanup(const CleanupChoices& cleanup);

  // Always ends in "/".
  std::string GetArchiveRootFolder() const;
  void SetArchiveRootFolder(const std::string& folder);
  // The documents folder followed by "Docketeer/".
  static std::string DefaultArchiveRootFolder();

  static std::vector<std::int32_t> OfferedResolutions();
  static std::vector<PixelType> OfferedPixelTypes();
  static std::vector<FileFormatType> OfferedFileFormatTypes();
  static std::vector<FileNameFormat> OfferedNameFormats();

  // Per-scanner values, in a group named after the data source. An empty
  // name (no source selected) reads Unknown and the default area and
  // writes nothing.
  ScannerOrigin GetScannerOrigin(const std::string& scannerName) const;
  void SetScannerOrigin(const std::string& scannerName, ScannerOrigin origin);
  // The stored area when both dimensions are known; otherwise, once the user
  // has told where the page lies, the source's own size, stored for next time;
  // otherwise 8500 x 11693.
  ScanAreaSize GetScanArea(const std::string& scannerName, IDataSourceSize& source);
  static ScanAreaSize DefaultScanArea();

  // The settings group of a scanner: "/" and "\" (and "%") are escaped so
  // every name stays one group.
  static std::string ScannerGroupName(const std::string& scannerName);

 private:
  std::optional<std::int32_t> StoredNumber(const QString& group, const char* key) const;
  std::int32_t ReadNumber(const char* key, std::int32_t defaultValue) const;
  template <typename Value, typename FromValue>
  Value ReadOffered(const char* key, Value defaultValue, const std::vector<Value>& offered,
                    FromValue fromValue) const;
  bool ReadBool(const char* key, bool defaultValue) const;
  void WriteNumber(const QString& group, const char* key, std::int32_t value);
  void WriteNumber(const char* key, std::int32_t value);
  void WriteBool(const char* key, bool value);

  QSettings store_;
};
