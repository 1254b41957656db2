#include "search/LanguageStemmer.h"

#include <map>
#include <sstream>
#include <vector>

namespace {

// The recognition engine's language codes and the stemmers for them.
const std::map<std::string, std::string>& StemmerNames() {
  static const std::map<std::string, std::string> names = {
      {"ara", "arabic"},    {"cat", "catalan"},    {"dan", "danish"},     {"deu", "german"},
      {"eng", "english"},   {"eus", "basque"},     {"fin", "finnish"},    {"fra", "french"},
      {"hun", "hungarian"}, {"hye", "armenian"},   {"ind", "indonesian"}, {"gle", "irish"},
      {"ita", "italian"},   {"lit", "lithuanian"}, {"nep", "nepali"},     {"nld", "dutch"},
      {"nor", "norwegian"}, {"por", "portuguese"}, {"ron", "romanian"},   {"rus", "russian"},
      {"spa", "spanish"},   {"swe", "swedish"},    {"tam", "tamil"},      {"tur", "turkish"}};
  return names;
}

class ChainedStemmer : public Xapian::StemImplementation {
 public:
  explicit ChainedStemmer(std::vector<Xapian::Stem> stemmers) : stemmers_(std::move(stemmers)) {}

  std::string operator()(const std::string& word) override {
    for (Xapian::Stem& stemmer : stemmers_) {
      std::string stem = stemmer(word);
      if (stem != word)
        return stem;
    }
    return word;
  }

  std::string get_description() const override { return "chained"; }

 private:
  std::vector<Xapian::Stem> stemmers_;
};

}  // namespace

Xapian::Stem StemmerForLanguages(const std::string& languages) {
  std::vector<Xapian::Stem> stemmers;
  std::istringstream codes(languages);
  for (std::string code; std::getline(codes, code, '+');) {
    const auto found = StemmerNames().find(code);
    if (found == StemmerNames().end())
      continue;
    try {
      stemmers.emplace_back(found->second);
    } catch (const Xapian::Error&) {
      // An older library without this language: search without its stems.
    }
  }
  if (stemmers.empty())
    return Xapian::Stem();
  if (stemmers.size() == 1)
    return stemmers.front();
  return Xapian::Stem(new ChainedStemmer(std::move(stemmers)));
}
