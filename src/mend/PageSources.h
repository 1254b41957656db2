#pragma once

#include <cstddef>
#include <memory>
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

// Source files opened once for a mend: their page counts, then the outputs
// written from their pages.
class PageFiles {
 public:
  virtual ~PageFiles() = default;
  virtual std::vector<int> PageCounts() const = 0;
  // Writes every output (each flushed, not yet synced); the message says what failed.
  virtual std::optional<std::string> Write(const std::vector<PageOutput>& outputs) = 0;
};
