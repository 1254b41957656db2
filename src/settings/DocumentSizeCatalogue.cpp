#include "settings/DocumentSizeCatalogue.h"

#include <QStandardPaths>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <locale>
#include <optional>
#include <sstream>
#include <system_error>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/InstallLayout.h"
#include "platform/profile/ReadFileContents.h"
#include "platform/profile/ReplaceFileContents.h"
#include "platform/profile/TextFileForm.h"
#include "settings/StoredText.h"

namespace {

constexpr const char* kUnnamedSize = "Unnamed";

// Environment values are taken as bytes: a home folder whose name is not
// UTF-8 must not turn into a second folder with replacement marks.
std::string CommonDataFolder() {
  const char* configured = std::getenv("DOCKETEER_COMMON_DATA");
  if (configured != nullptr && *configured != '\0')
    return configured;
  // The XDG data folder, as Qt finds it (a relative XDG_DATA_HOME is ignored).
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && *dataHome == '/')
    return dataHome;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/')
    return EnsureTrailingSeparator(home) + ".local/share";
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
}

// White space as the C locale's stream extraction skips it, line ends included.
std::size_t SkipSpace(std::string_view text, std::size_t at) {
  const std::size_t next = text.find_first_not_of(" \t\r\n\v\f", at);
  return next == std::string_view::npos ? text.size() : next;
}

// A decimal number after white space, with an optional sign; nothing when
// there is none or it does not fit 32 bits.
std::optional<std::int32_t> ReadNumber(std::string_view text, std::size_t& at) {
  std::size_t start = SkipSpace(text, at);
  if (start < text.size() && text[start] == '+')
    ++start;
  std::int32_t value = 0;
  const char* first = text.data() + start;
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
  if (error != std::errc() || end == first)
    return std::nullopt;
  at = std::size_t(end - text.data());
  return value;
}

// One record at `at`: two numbers, then, after blanks, the rest of the line
// as the name. On success `at` moves past the record's line end.
std::optional<DocumentSize> ReadRecord(std::string_view text, std::size_t& at) {
  std::size_t next = at;
  const auto width = ReadNumber(text, next);
  const auto height = width ? ReadNumber(text, next) : std::nullopt;
  if (!height)
    return std::nullopt;
  next = std::min(text.find_first_not_of(" \t\v\f", next), text.size());
  const std::size_t nameEnd = std::min(text.find_first_of("\r\n", next), text.size());
  // A size without a name is no record: taking the next line as its name
  // would swallow that line's size, and a save would write both as one.
  if (nameEnd == next)
    return std::nullopt;
  const std::string_view name = text.substr(next, nameEnd - next);
  at = nameEnd + LineEndLength(text, nameEnd);
  return DocumentSize(Utf8OrLatin1(name), *width, *height);
}

// The records of the file's text, and where they end: the rest, from the
// first line the loader cannot use, is the user's and is kept on saving.
struct ParsedCatalogue {
  DocumentSizeCatalogue sizes;
  std::size_t recordsEnd = 0;
};

ParsedCatalogue ParseText(std::string_view text) {
  ParsedCatalogue parsed;
  while (const auto size = ReadRecord(text, parsed.recordsEnd))
    parsed.sizes.push_back(*size);
  return parsed;
}

// A name must fill exactly one line: a line break inside would split the
// record, and a size without a name would end the list there.
std::string SavedName(const std::string& name) {
  const std::string saved = OnOneLine(name);
  const bool blank = saved.find_first_not_of(" \t") == std::string::npos;
  return blank ? std::string(kUnnamedSize) : saved;
}

std::string RecordLines(const DocumentSizeCatalogue& catalogue, std::string_view lineEnd) {
  std::string lines;
  for (const DocumentSize& size : catalogue) {
    lines.append(std::to_string(size.Width())).append(" ");
    lines.append(std::to_string(size.Height())).append(" ");
    lines.append(SavedName(size.Name())).append(lineEnd);
  }
  return lines;
}

// The file a save replaces: a link is written through to its target, so a
// catalogue an administrator keeps elsewhere stays where it is.
std::optional<std::string> SaveTarget(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error))
    return path;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  if (error)
    return std::nullopt;
  return target.string();
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
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ParseText(DecodeTextFile(bytes).text).sizes;
}

DocumentSizeCatalogue LoadDocumentSizes(const std::string& path) {
  const FileContents contents = ReadFileContents(path, kMaxDocumentSizesFileSize);
  if (!contents.Read()) {
    if (!contents.Missing()) {
      Log(LOG_LOCATION, "LoadDocumentSizes(): %s not read: %s", path.c_str(),
          contents.Problem(kMaxDocumentSizesFileSize).c_str());
    }
    return {};
  }
  return ParseText(DecodeTextFile(contents.bytes).text).sizes;
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
  out << RecordLines(catalogue, "\r\n");
}

bool SaveDocumentSizes(const DocumentSizeCatalogue& catalogue, const std::string& path) {
  const auto fail = [&path](const std::string& why) {
    Log(LOG_LOCATION, "SaveDocumentSizes(): unable to write %s: %s", path.c_str(), why.c_str());
    return false;
  };
  const auto target = SaveTarget(path);
  if (!target)
    return fail("a link to nothing");
  // The folder is made on first save, so sizes the user adds before any
  // catalogue was installed are not lost.
  std::error_code madeFolder;
  std::filesystem::create_directories(std::filesystem::path(*target).parent_path(), madeFolder);
  // The records are rewritten; whatever else the file holds, its form
  // included, is the user's and stays. A file that cannot be read whole is
  // not replaced at all.
  const FileContents old = ReadFileContents(*target, kMaxDocumentSizesFileSize);
  if (!old.Read() && !old.Missing())
    return fail(old.Problem(kMaxDocumentSizesFileSize));
  const DecodedText decoded = DecodeTextFile(old.bytes);
  const std::string_view rest =
      std::string_view(decoded.text).substr(ParseText(decoded.text).recordsEnd);
  const std::string text =
      RecordLines(catalogue, FirstLineEnd(decoded.text, "\r\n")) + std::string(rest);
  std::string error;
  if (!ReplaceFileContents(*target, EncodeTextFile(text, decoded.encoding), error))
    return fail(error);
  return true;
}

bool SaveDocumentSizes(const DocumentSizeCatalogue& catalogue) {
  return SaveDocumentSizes(catalogue, DocumentSizesPath());
}
