#include "app/PagesCommand.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "mend/DocumentMend.h"
#include "settings/PerFolderPreferences.h"

namespace {

std::optional<int> ReadNumber(const std::string& text) {
  if (text.empty() || text.size() > 6)
    return std::nullopt;
  std::size_t used = 0;
  try {
    const int value = std::stoi(text, &used);
    return used == text.size() ? std::optional(value) : std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// Reads a comma-separated list, one item at a time; false at the first that does not fit.
bool ReadList(const std::string& text, const std::function<bool(const std::string&)>& readItem) {
  std::stringstream items(text);
  std::string item;
  int count = 0;
  while (std::getline(items, item, ','))
    if (++count, !readItem(item))
      return false;
  return count > 0 && text.back() != ',';
}

// "A:B" as two numbers.
std::optional<std::pair<int, int>> ReadPair(const std::string& item, char separator) {
  const std::size_t at = item.find(separator, 1);
  if (at == std::string::npos)
    return std::nullopt;
  const auto first = ReadNumber(item.substr(0, at));
  const auto second = ReadNumber(item.substr(at + 1));
  if (!first || !second)
    return std::nullopt;
  return std::pair{*first, *second};
}

MendOutcome::Status Report(const MendOutcome& outcome) {
  for (const std::string& path : outcome.written)
    std::printf("%s\n", path.c_str());
  return outcome.status;
}

int Finish(const char* command, const MendOutcome& outcome) {
  switch (Report(outcome)) {
    case MendOutcome::Status::Done:
      return kExitDone;
    case MendOutcome::Status::BadRequest:
      return ReportBadUsage(command, outcome.message);
    case MendOutcome::Status::Unreadable:
    case MendOutcome::Status::Failed:
      break;
  }
  std::fprintf(stderr, "docketeer: %s\n", outcome.message.c_str());
  return outcome.status == MendOutcome::Status::Unreadable ? kExitInput : kExitWrite;
}

// The folder's next document name for the pages after a split, along its
// series past any name already taken.
std::string RestPath(const std::string& mended) {
  const std::size_t slash = mended.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "./" : mended.substr(0, slash + 1);
  const std::string extension = mended.substr(mended.find_last_of('.'));
  const FolderChoices choices = PerFolderPreferences(folder).ReadAll();
  std::string name = choices.lastDestination;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    name = choices.format.NextName(name);
    if (name.empty())
      break;
    if (!FileExists(folder + name + extension) && folder + name + extension != mended)
      return folder + name + extension;
  }
  return {};
}

}  // namespace

std::optional<std::string> ReadPageChanges(const CommandArguments& arguments,
                                           PageChanges& changes) {
  changes = PageChanges{};
  if (arguments.Has("--turn") && !ReadList(arguments.Value("--turn"), [&](const std::string& item) {
        const auto pair = ReadPair(item, ':');
        if (!pair || (pair->second != 90 && pair->second != 180 && pair->second != 270 &&
                      pair->second != -90))
          return false;
        changes.turns.push_back(PageTurn{pair->first, pair->second});
        return true;
      }))
    return "--turn takes PAGE:DEGREES, such as 3:180,5:90 (90, 180, 270 or -90)";
  if (arguments.Has("--remove") &&
      !ReadList(arguments.Value("--remove"), [&](const std::string& item) {
        auto range = ReadPair(item, '-');
        if (!range) {
          const auto page = ReadNumber(item);
          if (!page)
            return false;
          range = std::pair{*page, *page};
        }
        if (range->first > range->second || range->second - range->first > 100000)
          return false;
        for (int page = range->first; page <= range->second; ++page)
          changes.removals.push_back(page);
        return true;
      }))
    return "--remove takes pages, such as 4 or 2,6-8";
  if (arguments.Has("--move") && !ReadList(arguments.Value("--move"), [&](const std::string& item) {
        const auto pair = ReadPair(item, ':');
        if (pair)
          changes.moves.push_back(PageMove{pair->first, pair->second});
        return pair.has_value();
      }))
    return "--move takes PAGE:PLACE, such as 2:5";
  if (arguments.Has("--split-after")) {
    const auto page = ReadNumber(arguments.Value("--split-after"));
    if (!page || *page < 1)
      return "--split-after takes a page number, such as 3";
    changes.splitAfter = *page;
  }
  if (changes.turns.empty() && changes.removals.empty() && changes.moves.empty() &&
      changes.splitAfter == 0)
    return std::string("no change given: --turn, --remove, --move or --split-after");
  return std::nullopt;
}

int RunPagesCommand(const CommandArguments& arguments) {
  const char* const command = "pages";
  if (arguments.positional.size() != 1)
    return ReportBadUsage(
        command, arguments.positional.empty() ? "no file given" : "more than one file given");
  PagesRequest request;
  if (const auto problem = ReadPageChanges(arguments, request.changes))
    return ReportBadUsage(command, *problem);
  request.document = arguments.positional.front();
  request.output = arguments.Value("--output");
  if (std::error_code error; !std::filesystem::is_regular_file(request.document, error))
    return ReportBadUsage(command, request.document + " is not a file");
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  if (!request.output.empty() && FileExists(request.output)) {
    std::fprintf(stderr, "docketeer: %s already exists\n", request.output.c_str());
    return kExitWrite;
  }
  if (request.changes.splitAfter != 0) {
    request.rest = RestPath(request.output.empty() ? request.document : request.output);
    if (request.rest.empty()) {
      std::fprintf(stderr,
                   "docketeer: the folder has no free name for the pages after the split\n");
      return kExitWrite;
    }
  }
  Log(LOG_LOCATION, "PagesCommand: %s", request.document.c_str());
  return Finish(command, MendPages(request));
}

int RunJoinCommand(const CommandArguments& arguments) {
  const char* const command = "join";
  if (arguments.positional.size() < 2)
    return ReportBadUsage(command, "join takes two documents or more");
  const std::string output = arguments.Value("--output");
  if (output.empty())
    return ReportBadUsage(command, "no --output given");
  for (const std::string& document : arguments.positional)
    if (std::error_code error; !std::filesystem::is_regular_file(document, error))
      return ReportBadUsage(command, document + " is not a file");
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  if (FileExists(output)) {
    std::fprintf(stderr, "docketeer: %s already exists\n", output.c_str());
    return kExitWrite;
  }
  Log(LOG_LOCATION, "JoinCommand: %s", output.c_str());
  return Finish(command, JoinDocuments(arguments.positional, output));
}
