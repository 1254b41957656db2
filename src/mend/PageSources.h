#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One page of a document to write: a page (from 0) of one of the source files,
// with the quarter turns clockwise to add to its own rotation.
struct PageSource {
  std::size_t file = 0;
  int page = 0;
  int quarterTurns = 0;
};

// A document to write to `path` (a temporary file that exists) from pages of the sources.
struct PageOutput {
  std::string path;
  std::vector<PageSource> pages;
};

// The page counts of `files`, or why one cannot be read.
struct PageCounts {
  std::vector<int> counts;
  std::string error;
};
