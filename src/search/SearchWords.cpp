#include "search/SearchWords.h"

#include <QChar>
#include <QString>

#include "search/TextFolding.h"

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

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// The length of the hyphen ending `line` (blanks after it ignored) when a
// letter stands before it, else 0; `soft` for the soft hyphen, which only
// ever marks a word broken at the line's end.
std::size_t LineEndHyphen(std::string_view line, bool& soft) {
  std::size_t end = line.size();
  while (end > 0 && IsBlank(line[end - 1]))
    --end;
  static constexpr std::string_view kHyphens[] = {"-", "\u2010", "\u00AD", "\u00AC"};
  for (std::string_view hyphen : kHyphens) {
    if (end <= hyphen.size() || line.substr(end - hyphen.size(), hyphen.size()) != hyphen)
      continue;
    std::size_t start = end - hyphen.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(line[start]) & 0xC0) == 0x80)
      --start;
    std::size_t length = 1;
    const char32_t before = (line[start] & 0x80) == 0 ? static_cast<unsigned char>(line[start])
                                                      : CodePoint(line, start, length);
    if (!QChar::isLetter(before))
      return 0;
    soft = hyphen == "\u00AD" || hyphen == "\u00AC";
    return hyphen.size();
  }
  return 0;
}

// The first letter or other sign of the line, blanks before it skipped.
char32_t FirstOf(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i]))
    ++i;
  if (i == line.size())
    return U' ';
  std::size_t length = 1;
  return (line[i] & 0x80) == 0 ? static_cast<unsigned char>(line[i]) : CodePoint(line, i, length);
}

bool StartsLowerCase(std::string_view line) {
  return QChar::isLower(FirstOf(line));
}
bool StartsWithLetter(std::string_view line) {
  return QChar::isLetter(FirstOf(line));
}

}  // namespace

void ForEachTextWord(std::string_view text,
                     const std::function<void(std::string_view, bool)>& word) {
  // The first part of a word hyphenated at the end of the line before.
  std::string broken;
  bool brokenSure = false;
  std::size_t from = 0;
  for (bool more = true; more;) {
    std::size_t end = text.find_first_of("\n\f", from);
    if (end == std::string_view::npos)
      end = text.size();
    more = end < text.size();
    const std::string_view line = text.substr(from, end - from);
    from = end + 1;
    const std::string folded = FoldText(line);
    std::vector<std::string_view> words;
    ForEachWord(folded, [&](std::string_view w) { words.push_back(w); });
    std::size_t first = 0;
    if (!broken.empty()) {
      if (!words.empty() && StartsWithLetter(line)) {
        const std::string joined = broken + std::string(words.front());
        if (brokenSure && StartsLowerCase(line)) {
          word(joined, false);
          first = 1;
        } else {
          word(broken, false);
          word(joined, true);
        }
      } else {
        word(broken, false);
      }
      broken.clear();
    }
    std::size_t last = words.size();
    bool soft = false;
    if (last > first && LineEndHyphen(line, soft) != 0) {
      const std::string_view part = words[last - 1];
      const std::size_t start = static_cast<std::size_t>(part.data() - folded.data());
      // A typeset break leaves two letters or more before it (three counted
      // here, so "re-" and "e-" stay unsure) and goes on in lower case; a part
      // with digits or one already joined by hyphens ("--dry-") may end in a
      // hyphen of its own.
      const bool hyphenated = start > 0 && folded[start - 1] == '-';
      const bool digits = part.find_first_of("0123456789") != std::string_view::npos;
      const qsizetype letters =
          QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())).size();
      brokenSure = soft || (!hyphenated && !digits && letters >= 3);
      broken = std::string(part);
      --last;
    }
    for (std::size_t i = first; i < last; ++i)
      word(words[i], false);
  }
  if (!broken.empty())
    word(broken, false);
}

std::vector<std::string> TextWordsOf(std::string_view text) {
  std::vector<std::string> words;
  ForEachTextWord(text, [&](std::string_view word, bool extra) {
    if (!extra)
      words.emplace_back(word);
  });
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
