#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Words as the index keeps them: runs of letters, digits and combining marks
// of text already folded (FoldText). Indexing and searching split text the
// same way, so a word is found as it was stored.
void ForEachWord(std::string_view folded, const std::function<void(std::string_view)>& word);
std::vector<std::string> WordsOf(std::string_view folded);

// The words of a page's text as written (not folded yet), folded and split as
// above, with a word hyphenated at a line end ("behav-" "ior") joined again.
// Where the hyphen may be the word's own ("e-" "mail", "Baden-" "Württemberg",
// "--dry-" "run"), the parts are kept and the joined word comes as well,
// marked `extra`: it is indexed, but left out of the sequence phrases match.
void ForEachTextWord(std::string_view text,
                     const std::function<void(std::string_view word, bool extra)>& word);
// The sequence phrases are matched in: the words of ForEachTextWord but the extra ones.
std::vector<std::string> TextWordsOf(std::string_view text);

// A query as typed, folded and taken apart. Plain words match their other
// forms through stemming; phrase words match as written and in order; a
// prefix matches every word it starts.
struct QueryWords {
  std::vector<std::string> plain;
  std::vector<std::vector<std::string>> phrases;  // two words or more each
  std::vector<std::string> prefixes;
  // The last word while it is still being typed: itself or any word it starts.
  std::string partial;
  std::vector<std::string> excluded;  // "-word"
  bool Empty() const {
    return plain.empty() && phrases.empty() && prefixes.empty() && partial.empty();
  }
};
QueryWords ReadQueryWords(const std::string& folded, bool lastWordIsPartial);
