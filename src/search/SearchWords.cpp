#include "search/SearchWords.h"

#include <QChar>

namespace {

// The code point starting at text[i] and its length in bytes; a broken
// sequence counts as one letter byte, so it stays inside its word.
char32_t CodePoint(std::string_view text, std::size_t i, std::size_t& length) {
  const auto byte = static_cast<unsigned char>(text[i]);
  length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
  if (length == 1 || i + length > text.size())
    return length = 1, U'a';
  char32_t code = byte & (0x3F >> (length - 1));
  for (std::size_t k = 1; k < length; ++k)
    code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return code;
}

bool IsAsciiWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

}  // namespace

void ForEachWord(std::string_view text, const std::function<void(std::string_view)>& word) {
  std::size_t start = std::string_view::npos;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t length = 1;
    bool inWord;
    if ((text[i] & 0x80) == 0) {
      inWord = IsAsciiWordByte(text[i]);
    } else {
      const char32_t code = CodePoint(text, i, length);
      inWord = QChar::isLetterOrNumber(code) || QChar::isMark(code);
    }
    if (inWord && start == std::string_view::npos)
      start = i;
    else if (!inWord && start != std::string_view::npos) {
      word(text.substr(start, i - start));
      start = std::string_view::npos;
    }
    i += length;
  }
  if (start != std::string_view::npos)
    word(text.substr(start));
}

std::vector<std::string> WordsOf(std::string_view folded) {
  std::vector<std::string> words;
  ForEachWord(folded, [&](std::string_view word) { words.emplace_back(word); });
  return words;
}

QueryWords ReadQueryWords(const std::string& folded, bool lastWordIsPartial) {
  // Tokens: a quoted part (closed or not), or a run without blanks and quotes.
  struct Token {
    std::string text;
    bool quoted;
  };
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < folded.size()) {
    if (folded[i] == ' ' || folded[i] == '\t') {
      ++i;
      continue;
    }
    const bool quoted = folded[i] == '"';
    const std::size_t from = quoted ? i + 1 : i;
    std::size_t end = quoted ? folded.find('"', from) : folded.find_first_of(" \t\"", from);
    if (end == std::string::npos)
      end = folded.size();
    tokens.push_back({folded.substr(from, end - from), quoted});
    i = quoted ? end + 1 : end;
  }
  const bool typing = lastWordIsPartial && !folded.empty() && folded.back() != ' ' &&
                      folded.back() != '"' && folded.back() != '\t';
  QueryWords query;
  for (std::size_t t = 0; t < tokens.size(); ++t) {
    std::string text = tokens[t].text;
    const bool exclude = !tokens[t].quoted && text.size() > 1 && text.front() == '-';
    if (exclude || (!tokens[t].quoted && text.size() > 1 && text.front() == '+'))
      text.erase(0, 1);
    const bool star = !text.empty() && text.back() == '*';
    std::vector<std::string> words = WordsOf(text);
    if (words.empty())
      continue;
    if (exclude) {
      if (words.size() == 1)
        query.excluded.push_back(words.front());
      continue;
    }
    if (tokens[t].quoted || words.size() > 1) {
      if (star && !tokens[t].quoted) {
        query.prefixes.push_back(words.back());
        words.pop_back();
      }
      if (words.size() > 1)
        query.phrases.push_back(std::move(words));
      else if (!words.empty())
        query.plain.push_back(words.front());
      continue;
    }
    if (star)
      query.prefixes.push_back(words.front());
    else if (typing && t + 1 == tokens.size() && !tokens[t].quoted)
      query.partial = words.front();
    else
      query.plain.push_back(words.front());
  }
  return query;
}
