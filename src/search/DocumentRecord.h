#pragma once

#include <optional>
#include <string>

// What the index records of each document apart from its pages: the version
// it read (modification time and size), whether its text is final or waits
// for recognition, and its path below the archive root, any bytes a file
// name may hold (a line feed too). A checksum makes a damaged record show
// as damaged instead of naming another file.
struct DocumentRecord {
  long long modified = 0;
  long long size = 0;
  bool final = false;
  std::string relative;
};

std::string WriteDocumentRecord(const DocumentRecord& record);
// Nothing when the text is not a record written by WriteDocumentRecord.
std::optional<DocumentRecord> ReadDocumentRecord(const std::string& text);

// The checksum stored with each page of a document, over what a hit shows of it.
std::string PageChecksum(const std::string& relative, const std::string& page,
                         const std::string& firstDay, const std::string& lastDay);
