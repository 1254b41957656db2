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
