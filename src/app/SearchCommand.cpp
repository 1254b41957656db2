#include "app/SearchCommand.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <variant>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandIndexUpdate.h"
#include "app/CommandUsage.h"
#include "app/IndexProgress.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "naming/NameDate.h"
#include "search/ArchiveIndex.h"
#include "search/IndexLocation.h"
#include "settings/AppSettings.h"

namespace fs = std::filesystem;

namespace {

const char* const kCommand = "search";
// A search waits this long for another Docketeer's update before it answers
// from the index as it is.
constexpr int kWaitForWriterSeconds = 3;

int BadUsage(const std::string& message) {
  ReportBadUsage(kCommand, message);
  return kSearchExitError;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "docketeer: %s\n", message.c_str());
  return kSearchExitError;
}

// The folder to search below, absolute; nothing when it is not a folder of the archive.
std::optional<std::string> ArchiveFolder(const std::string& root, const std::string& folder) {
  const std::string path = folder.front() == '/' ? folder : EnsureTrailingSeparator(root) + folder;
  std::error_code error;
  const fs::path canonical = fs::canonical(path, error);
  if (error || !fs::is_directory(canonical, error))
    return std::nullopt;
  const std::string inside = EnsureTrailingSeparator(canonical.string());
  const std::string top = EnsureTrailingSeparator(fs::canonical(root, error).string());
  if (error || inside.compare(0, top.size(), top) != 0)
    return std::nullopt;
  // Below the root as the index knows it, which may be reached through a link.
  return EnsureTrailingSeparator(root) + inside.substr(top.size());
}

// A path as the shell would take it back when it holds control characters
// (a line feed would split the line of its hit): $'…' with escapes.
std::string PrintablePath(const std::string& path) {
  bool plain = true;
  for (const unsigned char c : path)
    plain = plain && c >= 0x20 && c != 0x7f;
  if (plain)
    return path;
  std::string quoted = "$'";
  for (const unsigned char c : path) {
    if (c == '\n')
      quoted += "\\n";
    else if (c == '\t')
      quoted += "\\t";
    else if (c == '\r')
      quoted += "\\r";
    else if (c == '\\' || c == '\'')
      quoted += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20 || c == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "'";
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\t' || c == '\r')
      c = ' ';
  return text;
}

void PrintHit(const SearchHit& hit, bool null) {
  const std::string snippet = OneLine(SnippetText(hit.snippet));
  if (null) {
    std::printf("%s%c%d%c%s%c", hit.path.c_str(), 0, hit.page, 0, snippet.c_str(), 0);
    return;
  }
  std::printf("%s\t%d\t%s\n", PrintablePath(hit.path).c_str(), hit.page, snippet.c_str());
}

struct Request {
  SearchQuery query;
  bool null = false;
  bool limited = false;
};

// The query the arguments ask for, or the bad-usage message.
std::variant<Request, std::string> ReadRequest(const CommandArguments& arguments) {
  Request request;
  SearchQuery& query = request.query;
  for (const std::string& word : arguments.positional)
    query.words += (query.words.empty() ? "" : " ") + word;
  for (const auto& [option, day] :
       {std::pair{"--since", &query.sinceDay}, std::pair{"--until", &query.untilDay}}) {
    if (!arguments.Has(option))
      continue;
    const auto date = ReadTypedDate(arguments.Value(option));
    if (!date)
      return arguments.Value(option) + " is not a date such as 2026-11-30, 2026-11 or 2026";
    *day = std::string(option) == "--since" ? date->firstDay : date->lastDay;
  }
  query.folder = arguments.Value("--folder");
  if (arguments.Has("--folder") && query.folder.empty())
    return std::string("--folder needs a folder");
  if (query.words.empty() && query.folder.empty() && !query.sinceDay && !query.untilDay)
    return std::string("no words given");
  query.limit = INT_MAX;
  if (arguments.Has("--limit")) {
    const std::string text = arguments.Value("--limit");
    char* end = nullptr;
    const long limit = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || limit < 1 || limit > INT_MAX)
      return "--limit takes a number of documents, not " + text;
    query.limit = static_cast<int>(limit);
    request.limited = true;
  }
  request.null = arguments.Has("--null");
  return request;
}

// Hits of documents gone since the index was last written are not shown.
void DropVanished(std::vector<SearchHit>& hits) {
  std::erase_if(hits, [](const SearchHit& hit) {
    std::error_code error;
    return !fs::exists(hit.path, error);
  });
}

}  // namespace

int RunSearchCommand(const CommandArguments& arguments) {
  auto read = ReadRequest(arguments);
  if (auto* problem = std::get_if<std::string>(&read))
    return BadUsage(*problem);
  Request request = std::get<Request>(std::move(read));
  SearchQuery& query = request.query;

  CommandApplication application;
  if (!application.IsReady())
    return kSearchExitError;
  const AppSettings settings;
  const std::string root = RemoveTrailingSeparator(settings.GetArchiveRootFolder());
  Log(LOG_LOCATION, "SearchCommand: %s in %s", query.words.c_str(), root.c_str());
  if (std::error_code error; !fs::is_directory(root, error))
    return Failure("the archive root folder " + root + " does not exist");
  if (!query.folder.empty()) {
    const auto folder = ArchiveFolder(root, query.folder);
    if (!folder)
      return Failure(query.folder + " is not a folder of the archive " + root);
    query.folder = *folder;
  }

  ArchiveIndex index(root, IndexFolderForArchive(root), settings.GetRecognitionLanguage());
  int total = 0;
  std::vector<SearchHit> hits;
  std::string stale;
  // A search that finds the index damaged marks it; one more update rebuilds it.
  for (int attempt = 0; attempt < 2; ++attempt) {
    stale = UpdateIndexForCommand(index, kWaitForWriterSeconds);
    hits = index.Search(query, &total);
    if (index.Problem().empty())
      break;
  }
  if (!index.Problem().empty())
    return Failure("cannot search the index of " + root + ": " + index.Problem());
  if (!stale.empty()) {
    std::fprintf(stderr, "docketeer: the index may be out of date: %s\n", stale.c_str());
    const std::size_t before = hits.size();
    DropVanished(hits);
    total -= static_cast<int>(before - hits.size());
  }
  for (const SearchHit& hit : hits)
    PrintHit(hit, request.null);
  std::fflush(stdout);
  if (request.limited && total > static_cast<int>(hits.size()))
    std::fprintf(stderr, "docketeer: showed the first %s of %s documents (--limit %d)\n",
                 GroupedNumber(static_cast<long long>(hits.size())).c_str(),
                 GroupedNumber(total).c_str(), query.limit);
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  if (terminal && hits.empty())
    std::fprintf(
        stderr, "%s\n",
        query.words.empty() ? "No document found" : ("No document holds " + query.words).c_str());
  if (const int waiting = terminal ? index.AwaitingRecognitionCount() : 0; waiting > 0)
    std::fprintf(stderr, "%s %s not yet read; run docketeer index --recognise\n",
                 GroupedNumber(waiting).c_str(), waiting == 1 ? "picture" : "pictures");
  return hits.empty() ? kSearchExitNothing : kSearchExitFound;
}
