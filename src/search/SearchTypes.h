#pragma once

#include <limits>
#include <optional>
#include <string>
#include <vector>

// What the user asks for: words as typed (all must match; "a phrase" in
// quotes, insur* as a prefix), an optional folder of the archive (absolute or
// below the root) and an optional range of days (year*10000+month*100+day).
struct SearchQuery {
  std::string words;
  std::string folder;
  std::optional<int> sinceDay;
  std::optional<int> untilDay;
  // While typing, the last word is taken as the start of a word.
  bool lastWordIsPartial = false;
  int limit = 200;
  // How many of the best hits to pass over: the next page of a long list.
  int offset = 0;
  // How many of the first hits come with a snippet: reading a PDF's page
  // for one costs milliseconds, so a list may ask for the visible ones only.
  int snippets = std::numeric_limits<int>::max();
};

// A piece of a snippet; marked pieces are the words that matched.
struct SnippetPart {
  std::string text;
  bool marked = false;
};

// One document found, at its best page (1 onwards).
struct SearchHit {
  std::string path;    // absolute
  std::string folder;  // below the archive root, "" for the root itself
  std::string name;    // the file name
  int page = 1;
  int day = 0;  // the date its name carries, else the day it was last changed
  std::vector<SnippetPart> snippet;
};

std::string SnippetText(const std::vector<SnippetPart>& parts);
