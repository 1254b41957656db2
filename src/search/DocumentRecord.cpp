#include "search/DocumentRecord.h"

#include <cinttypes>
#include <cstdio>
#include <initializer_list>

namespace {

// FNV-1a: fast, and enough to tell a record from a damaged one.
std::string Checksum(std::initializer_list<const std::string*> parts) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const std::string* part : parts) {
    for (const unsigned char c : *part)
      hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0xffu) * 1099511628211ull;  // parts apart, so "ab","c" differs from "a","bc"
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, hash);
  return text;
}

}  // namespace

// "modified size t|r checksum", a line feed, then the path to the end.
std::string WriteDocumentRecord(const DocumentRecord& record) {
  const std::string head = std::to_string(record.modified) + ' ' + std::to_string(record.size) +
                           (record.final ? " t" : " r");
  return head + ' ' + Checksum({&head, &record.relative}) + '\n' + record.relative;
}

std::optional<DocumentRecord> ReadDocumentRecord(const std::string& text) {
  const std::size_t lineEnd = text.find('\n');
  if (lineEnd == std::string::npos || lineEnd < 17)
    return std::nullopt;
  DocumentRecord record;
  record.relative = text.substr(lineEnd + 1);
  const std::string head = text.substr(0, lineEnd - 17);
  if (record.relative.empty() || text[lineEnd - 17] != ' ' ||
      text.compare(lineEnd - 16, 16, Checksum({&head, &record.relative})) != 0)
    return std::nullopt;
  char state = 0;
  int used = 0;
  if (std::sscanf(head.c_str(), "%lld %lld %c%n", &record.modified, &record.size, &state, &used) !=
          3 ||
      static_cast<std::size_t>(used) != head.size() || (state != 't' && state != 'r'))
    return std::nullopt;
  record.final = state == 't';
  return record;
}

std::string PageChecksum(const std::string& relative, const std::string& page,
                         const std::string& firstDay, const std::string& lastDay) {
  return Checksum({&relative, &page, &firstDay, &lastDay});
}
