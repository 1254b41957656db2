#include "search/TextCache.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The file: a line "docketeer-text 2", the stamp and the languages on a line
// each, the compressed size of every page on one line, then the compressed
// pages, so that one page is read without the others. A partial entry differs
// by its first line alone, so complete ones read as they always have.
constexpr const char* kMagic = "docketeer-text 2";
constexpr const char* kPartialMagic = "docketeer-text 2 partial";

const char* MagicOf(TextCache::Entry entry) {
  return entry == TextCache::Entry::Complete ? kMagic : kPartialMagic;
}

struct Header {
  TextCache::Entry entry = TextCache::Entry::Complete;
  std::string stamp;
  std::string languages;
  std::vector<long long> sizes;
};

std::optional<Header> ReadHeader(std::istream& in) {
  std::string magic;
  Header header;
  std::string sizes;
  if (!std::getline(in, magic) || (magic != kMagic && magic != kPartialMagic) ||
      !std::getline(in, header.stamp) || !std::getline(in, header.languages) ||
      !std::getline(in, sizes))
    return std::nullopt;
  header.entry = magic == kMagic ? TextCache::Entry::Complete : TextCache::Entry::Partial;
  const char* at = sizes.c_str();
  char* end = nullptr;
  for (long long size = std::strtoll(at, &end, 10); end != at;
       at = end, size = std::strtoll(at, &end, 10)) {
    if (size < 0)
      return std::nullopt;
    header.sizes.push_back(size);
  }
  return header;
}

// No page of text comes near this; a larger size is a damaged file.
constexpr long long kLargestPage = 64 << 20;

std::optional<std::string> ReadPage(std::istream& in, long long size) {
  if (size == 0)
    return std::string();
  if (size > kLargestPage)
    return std::nullopt;
  QByteArray packed(static_cast<qsizetype>(size), Qt::Uninitialized);
  if (!in.read(packed.data(), size))
    return std::nullopt;
  return qUncompress(packed).toStdString();
}

// Only plain files are opened: reading a FIFO left in the cache would wait for ever.
std::ifstream OpenPlainFile(const std::string& file) {
  std::error_code error;
  if (fs::symlink_status(file, error).type() != fs::file_type::regular)
    return std::ifstream();
  return std::ifstream(file, std::ios::binary);
}

// Written anew, never through whatever stands under the name (a FIFO would block).
std::FILE* CreateNew(const std::string& file) {
  std::error_code ignored;
  fs::remove(file, ignored);
  return std::fopen(file.c_str(), "wbxe");
}

}  // namespace

std::string TextCache::FileOf(const std::string& relative) const {
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(relative), QCryptographicHash::Sha1)
          .toHex();
  return folder_ + "/" + digest.toStdString();
}

bool TextCache::Put(const std::string& relative, const std::string& stamp,
                    const std::string& languages, const std::vector<std::string>& pages,
                    Entry entry) const {
  std::error_code error;
  fs::create_directories(folder_, error);
  const std::string file = FileOf(relative);
  const std::string temporary = file + ".new";
  std::vector<QByteArray> packed;
  for (const std::string& page : pages)
    packed.push_back(page.empty() ? QByteArray() : qCompress(QByteArray::fromStdString(page)));
  std::string head = std::string(MagicOf(entry)) + '\n' + stamp + '\n' + languages + '\n';
  for (const QByteArray& page : packed)
    head += std::to_string(page.size()) + ' ';
  head += '\n';
  std::FILE* out = CreateNew(temporary);
  if (!out)
    return false;
  bool written = std::fwrite(head.data(), 1, head.size(), out) == head.size();
  for (const QByteArray& page : packed)
    written = written && std::fwrite(page.constData(), 1, static_cast<std::size_t>(page.size()),
                                     out) == static_cast<std::size_t>(page.size());
  written = std::fclose(out) == 0 && written;
  if (!written)
    return fs::remove(temporary, error), false;
  fs::rename(temporary, file, error);
  return !error;
}

std::optional<std::vector<std::string>> TextCache::Get(const std::string& relative,
                                                       const std::string& stamp,
                                                       const std::string& languages,
                                                       Entry entry) const {
  std::ifstream in = OpenPlainFile(FileOf(relative));
  const auto header = ReadHeader(in);
  if (!header || header->entry != entry || header->stamp != stamp || header->languages != languages)
    return std::nullopt;
  std::vector<std::string> pages;
  for (const long long size : header->sizes) {
    auto page = ReadPage(in, size);
    if (!page)
      return std::nullopt;
    pages.push_back(std::move(*page));
  }
  return pages;
}

std::optional<std::string> TextCache::Page(const std::string& relative, int page) const {
  std::ifstream in = OpenPlainFile(FileOf(relative));
  const auto header = ReadHeader(in);
  if (!header || header->entry != Entry::Complete || page < 1 ||
      page > static_cast<int>(header->sizes.size()))
    return std::nullopt;
  long long skip = 0;
  for (int i = 1; i < page; ++i)
    skip += header->sizes[static_cast<std::size_t>(i - 1)];
  in.seekg(skip, std::ios::cur);
  return ReadPage(in, header->sizes[static_cast<std::size_t>(page - 1)]);
}

void TextCache::Remove(const std::string& relative) const {
  std::error_code ignored;
  fs::remove(FileOf(relative), ignored);
}
