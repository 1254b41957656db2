#pragma once

#include <optional>
#include <string>
#include <vector>

// Text the program was given rather than read from the file (recognised
// text, above all), kept beside the index: snippets and rebuilds read it
// back instead of recognising the document again. One small file per
// document, valid for one version of it (`stamp`) and one set of languages.
// A recognition stopped part way keeps its pages as a partial entry, which
// only a later recognition reads, to go on from the next page.
class TextCache {
 public:
  enum class Entry { Complete, Partial };

  explicit TextCache(std::string folder) : folder_(std::move(folder)) {}

  bool Put(const std::string& relative, const std::string& stamp, const std::string& languages,
           const std::vector<std::string>& pages, Entry entry = Entry::Complete) const;
  // Every page kept, when the cache holds an entry of this kind for this
  // version of the document.
  std::optional<std::vector<std::string>> Get(const std::string& relative, const std::string& stamp,
                                              const std::string& languages,
                                              Entry entry = Entry::Complete) const;
  // One page (1 onwards) of whatever complete version is kept.
  std::optional<std::string> Page(const std::string& relative, int page) const;
  void Remove(const std::string& relative) const;

 private:
  std::string FileOf(const std::string& relative) const;
  std::string folder_;
};
