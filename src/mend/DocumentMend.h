#pragma once

#include <string>
#include <vector>

#include "mend/PagePlan.h"

// Mending a filed PDF or TIFF document: its pages turned, removed, moved or
// split off, or documents joined, without re-encoding a page. Every file is
// written beside its target and moved into place only when complete, so an
// interrupted mend leaves the document as it was; removed pages go to a
// document in the "NAME (removed pages)" folder beside it, never away.
struct MendOutcome {
  // Unreadable: a document could not be read or is not the PDF or TIFF its
  // name says; Failed: a file could not be written.
  enum class Status { Done, BadRequest, Unreadable, Failed };
  Status status = Status::Done;
  std::string message;               // why it was refused or failed
  std::vector<std::string> written;  // the files written, the mended one first
};

struct PagesRequest {
  std::string document;
  PageChanges changes;
  std::string output;  // where the mended document goes; empty: over the document
  std::string rest;    // where the pages after a split go (a new file)
};

MendOutcome MendPages(const PagesRequest& request);
// Joins `documents` (all PDF or all TIFF) in order into the new file `output`.
MendOutcome JoinDocuments(const std::vector<std::string>& documents, const std::string& output);

// "NAME (removed pages)" beside `document`, without a trailing "/".
std::string RemovedPagesFolder(const std::string& document);
