#pragma once

#include <string>

#include "core/CleanupChoices.h"
#include "naming/FileNameFormat.h"
#include "platform/profile/ProfileFile.h"
#include "settings/DocumentSize.h"

// Everything a folder remembers, as the main window loads and saves it; the
// initial values are what a folder without a preference file proposes.
struct FolderChoices {
  FileNameFormat format{RecurrenceType::Month, ItemType::NoItem, RelationType::Ending,
                        IndexType::YearMonthDay};
  std::string lastDestination;
  bool multiPage = false;
  bool rotateNinety = false;
  DocumentSize documentSize{"Statement (large)", 8500, 11000};
  CleanupChoices cleanup;

  friend bool operator==(const FolderChoices&, const FolderChoices&) = default;
};

// How documents are filed into one archive folder, kept in "_defaults.ini"
// inside the folder so it travels with the archive. These files may come from
// other machines or be edited by hand: every read falls back to its default
// when the value is missing or unusable. Write results are not reported. The
// file is read once per object; build one for each operation.
class PerFolderPreferences {
 public:
  // `folder` must end in "/".
  explicit PerFolderPreferences(std::string folder);

  std::string FilePath() const;

  // (Month, no item, Ending, yyyy-mm-dd) when any stored value is unknown;
  // a missing key takes its own default.
  FileNameFormat ReadFormat() const;
  void WriteFormat(const FileNameFormat& format) const;

  // At most 259 characters, as the Windows version reads it.
  std::string ReadLastDestination() const;
  void WriteLastDestination(const std::string& destination) const;

  bool ReadMultiPage() const;
  void WriteMultiPage(bool multiPage) const;
  bool ReadRotateNinety() const;
  void WriteRotateNinety(bool rotate) const;

  // "Statement (large)", 8.5 x 11 inches unless stored; a negative dimension
  // is unusable and reads as its default.
  DocumentSize ReadDocumentSize() const;
  void WriteDocumentSize(const DocumentSize& size) const;

  // The page clean-up; each choice the folder has not stored yet is taken
  // from `newFolder`.
  CleanupChoices ReadCleanup(const CleanupChoices& newFolder) const;
  void WriteCleanup(const CleanupChoices& cleanup) const;

  // All thirteen keys at once; WriteAll rewrites the file once, so the folder
  // holds either all of the new choices or none of them. LastDestination never
  // goes back along the series: a later name another scan recorded stays.
  FolderChoices ReadAll(const CleanupChoices& newFolderCleanup = {}) const;
  void WriteAll(const FolderChoices& choices) const;

  bool CanWrite() const;

  static FileNameFormat DefaultFormat();
  static DocumentSize DefaultDocumentSize();

  static constexpr std::size_t kMaxTextCharacters = 259;

 private:
  std::string ReadText(const char* key, const std::string& defaultValue) const;
  std::int32_t ReadInt(const char* key, std::int32_t defaultValue) const;
  std::int32_t ReadFormatValue(const char* key, std::int32_t defaultValue) const;
  void Write(const ProfileFile::KeyValues& values) const;

  std::string folder_;
  ProfileFile file_;
};
