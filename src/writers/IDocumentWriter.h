#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ResultCodes.h"

class PageCleaner;
class PageTextSource;

// A page image as the scanner hands it over: a movable global memory block
// holding one device-independent bitmap (header, colour table, pixel rows).
// Writers only lock and read it; they never free it.
using PageImageHandle = void*;

// A document page size in thousandths of an inch.
struct PageSize {
  int width = 0;
  int height = 0;
};

// Every file the program writes goes through this interface. Operations never
// throw for input or output failures: they return S_OK, E_INVALIDARG (unusable
// arguments or unsupported by the format), E_FAIL (ran and failed) or
// E_NOTIMPL (not offered by this writer). Callers test for a negative value.
class IDocumentWriter {
 public:
  virtual ~IDocumentWriter() = default;

  // Combines page files into one multi-page document; width and height are
  // the page size in thousandths of an inch.
  virtual ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName,
                          int width, int height) = 0;

  // Writes one scanned page at `resolution` dots per inch, turned 90 degrees
  // clockwise when `rotate` is set.
  virtual ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                          bool rotate) = 0;

  // Splits a multi-page file into page files named by the printf-style
  // `nameFormat` (one integer, the page index from 0) inside `folder`.
  virtual ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                            const std::string& nameFormat, std::vector<std::string>& files,
                            PageSize& pageSize) = 0;

  // Why the last operation failed: the failing file and the system's or the
  // library's own words. Empty after an operation that succeeded.
  virtual std::string GetErrorText() const = 0;

  // Writers that can lay the pages' recognised text over their images take it
  // from `source` in the next Save of page files; the others ignore it.
  virtual void SetPageTextSource(std::shared_ptr<PageTextSource> source) { (void)source; }

  // Writers of scanned pages clean each page with `cleaner` in the next Save
  // of a page image, on the thread that writes it; the others ignore it.
  virtual void SetPageCleaner(std::shared_ptr<PageCleaner> cleaner) { (void)cleaner; }
};
