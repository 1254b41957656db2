#include "settings/DocumentSizeCatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <optional>
#include <sstream>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/InstallLayout.h"
#include "platform/profile/ReplaceFileContents.h"
#include "settings/StoredText.h"

namespace {

constexpr const char* kUnnamedSize = "Unnamed";

std::string CommonDataFolder() {
  const char* configured = std::getenv("DOCKETEER_COMMON_DATA");
  if (configured != nullptr && *configured != '\0')
    return configured;
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
}

// One record: two numbers, then the rest of the line (after any white space,
// line ends included) as the name. Nothing when the numbers cannot be read.
std::optional<DocumentSize> ReadRecord(std::istream& in) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!(in >> width >> height))
    return std::nullopt;
  in >> std::ws;
  std::string name;
  // A hand-edited last line may lack its line end: getline still takes it.
  if (!std::getline(in, name))
    return std::nullopt;
  if (!name.empty() && name.back() == '\r')
    name.pop_back();
  return DocumentSize(Utf8OrLatin1(name), width, height);
}

// A name must fill exactly one line: a line break inside would split the
// record, and an empty name would make the loader take the next line's
// numbers as this record's name.
std::string SavedName(const std::string& name) {
  const std::string saved = OnOneLine(name);
  const bool blank = saved.find_first_not_of(" \t") == std::string::npos;
  return blank ? std::string(kUnnamedSize) : saved;
}

}  // namespace

std::string DocumentSizesPath() {
  const std::string common = CommonDataFolder();
  const std::string prefix = common.empty()
                                 ? std::string()
                                 : EnsureTrailingSeparator(common) + "Ferncastle/Docketeer 2.0/";
  return prefix + "Shared/DocumentSizes.txt";
}

DocumentSizeCatalogue ParseDocumentSizes(std::istream& in) {
  // Plain digits whatever the program's locale: no grouping marks in numbers.
  in.imbue(std::locale::classic());
  DocumentSizeCatalogue catalogue;
  while (const auto size = ReadRecord(in))
    catalogue.push_back(*size);
  return catalogue;
}

DocumentSizeCatalogue LoadDocumentSizes(const std::string& path) {
  // Only a regular file: a FIFO or device in its place would block or never end.
  if (!QFileInfo(QString::fromStdString(path)).isFile())
    return {};
  std::ifstream in(path, std::ios::binary);
  return ParseDocumentSizes(in);
}

std::string DocumentSizesSourcePath() {
  const std::string own = DocumentSizesPath();
  // Anything in the user's place is theirs, even an empty list or a file
  // that cannot be read: the default never overrides it.
  if (FileExists(own))
    return own;
  return InstallLayout::DefaultDocumentSizesPath();
}

DocumentSizeCatalogue LoadDocumentSizes() {
  const std::string path = DocumentSizesSourcePath();
  DocumentSizeCatalogue catalogue = LoadDocumentSizes(path);
  Log(LOG_LOCATION, "LoadDocumentSizes(): %zu sizes from %s", catalogue.size(), path.c_str());
  return catalogue;
}

void WriteDocumentSizes(const DocumentSizeCatalogue& catalogue, std::ostream& out) {
  out.imbue(std::locale::classic());
  for (const DocumentSize& size : catalogue) {
    out << size.Width() << ' ' << size.Height() << ' ' << SavedName(size.Name()) << "\r\n";
  }
}

bool SaveDocumentSizes(const DocumentSizeCatalogue& catalogue, const std::string& path) {
  const QString filePath = QString::fromStdString(path);
  // The folder is made on first save, so sizes the user adds before any
  // catalogue was installed are not lost.
  QDir().mkpath(QFileInfo(filePath).absolutePath());
  std::ostringstream text;
  WriteDocumentSizes(catalogue, text);
  std::string error;
  const bool saved = ReplaceFileContents(path, text.str(), error);
  if (!saved) {
    Log(LOG_LOCATION, "SaveDocumentSizes(): unable to write %s: %s", path.c_str(), error.c_str());
  }
  return saved;
}

bool SaveDocumentSizes(const DocumentSizeCatalogue& catalogue) {
  return SaveDocumentSizes(catalogue, DocumentSizesPath());
}
