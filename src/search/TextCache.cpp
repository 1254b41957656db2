#include "search/TextCache.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The file: a header line "docketeer-text 1 PAGES", the stamp and languages
// on a line each, then every page as its compressed length on a line and
// the compressed bytes, so that one page is read without the others.
constexpr const char* kMagic = "docketeer-text 1";

struct Header {
  int pages = 0;
  std::string stamp;
  std::string languages;
};

std::optional<Header> ReadHeader(std::istream& in) {
  std::string magic;
  Header header;
  if (!std::getline(in, magic) || magic.rfind(kMagic, 0) != 0)
    return std::nullopt;
  header.pages = std::atoi(magic.c_str() + std::char_traits<char>::length(kMagic));
  if (!std::getline(in, header.stamp) || !std::getline(in, header.languages))
    return std::nullopt;
  return header;
}

std::optional<std::string> ReadPage(std::istream& in, bool keep) {
  std::string line;
  if (!std::getline(in, line))
    return std::nullopt;
  const long long size = std::atoll(line.c_str());
  if (size < 0)
    return std::nullopt;
  if (!keep) {
    in.seekg(size, std::ios::cur);
    return in ? std::optional<std::string>(std::string()) : std::nullopt;
  }
  QByteArray packed(static_cast<qsizetype>(size), Qt::Uninitialized);
  if (!in.read(packed.data(), size))
    return std::nullopt;
  return size == 0 ? std::string() : qUncompress(packed).toStdString();
}

}  // namespace

std::string TextCache::FileOf(const std::string& relative) const {
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(relative), QCryptographicHash::Sha1)
          .toHex();
  return folder_ + "/" + digest.toStdString();
}

bool TextCache::Put(const std::string& relative, const std::string& stamp,
                    const std::string& languages, const std::vector<std::string>& pages) const {
  std::error_code error;
  fs::create_directories(folder_, error);
  const std::string file = FileOf(relative);
  const std::string temporary = file + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << kMagic << ' ' << pages.size() << '\n' << stamp << '\n' << languages << '\n';
    for (const std::string& page : pages) {
      const QByteArray packed =
          page.empty() ? QByteArray() : qCompress(QByteArray::fromStdString(page));
      out << packed.size() << '\n';
      out.write(packed.constData(), packed.size());
    }
    if (!out.flush())
      return fs::remove(temporary, error), false;
  }
  fs::rename(temporary, file, error);
  return !error;
}

std::optional<std::vector<std::string>> TextCache::Get(const std::string& relative,
                                                       const std::string& stamp,
                                                       const std::string& languages) const {
  std::ifstream in(FileOf(relative), std::ios::binary);
  const auto header = ReadHeader(in);
  if (!header || header->stamp != stamp || header->languages != languages)
    return std::nullopt;
  std::vector<std::string> pages;
  for (int i = 0; i < header->pages; ++i) {
    auto page = ReadPage(in, true);
    if (!page)
      return std::nullopt;
    pages.push_back(std::move(*page));
  }
  return pages;
}

std::optional<std::string> TextCache::Page(const std::string& relative, int page) const {
  std::ifstream in(FileOf(relative), std::ios::binary);
  const auto header = ReadHeader(in);
  if (!header || page < 1 || page > header->pages)
    return std::nullopt;
  for (int i = 1; i < page; ++i)
    if (!ReadPage(in, false))
      return std::nullopt;
  return ReadPage(in, true);
}

void TextCache::Remove(const std::string& relative) const {
  std::error_code ignored;
  fs::remove(FileOf(relative), ignored);
}
