#pragma once

struct CommandArguments;

// The exit statuses of search, as grep's.
enum SearchExitStatus : int {
  kSearchExitFound = 0,
  kSearchExitNothing = 1,
  kSearchExitError = 2,  // bad usage, or the archive or its index could not be searched
};

// "docketeer search WORDS [--folder F] [--since DATE] [--until DATE]
// [--limit N] [--null]": brings the archive's index up to date, then prints
// one line per document found, best first: its path, the page of the best
// hit and a snippet, separated by tabs.
int RunSearchCommand(const CommandArguments& arguments);
