#include "search/Snippet.h"

#include <QString>

#include "search/TextFolding.h"

namespace {

struct Word {
  qsizetype start;
  qsizetype end;
  bool marked;
};

// The words of `text` up to `width` characters past the first that matches
// (all of them when none does): what lies beyond is never shown.
std::vector<Word> Words(const QString& text, const std::function<bool(const std::string&)>& matches,
                        int width) {
  std::vector<Word> words;
  std::string folded;
  qsizetype stop = text.size();
  qsizetype i = 0;
  while (i < text.size() && i <= stop) {
    if (!text[i].isLetterOrNumber()) {
      ++i;
      continue;
    }
    qsizetype end = i;
    bool ascii = true;
    folded.clear();
    for (; end < text.size() && (text[end].isLetterOrNumber() || text[end].isMark()); ++end) {
      const char16_t c = text[end].unicode();
      ascii = ascii && c < 0x80;
      if (ascii)
        folded += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    // Most words are plain ASCII, folded on the way; the others by FoldText.
    if (!ascii)
      folded = FoldText(text.mid(i, end - i).toStdString());
    words.push_back({i, end, matches(folded)});
    if (words.back().marked && stop == text.size())
      stop = i + width;
    i = end;
  }
  return words;
}

QString Simplified(const QString& text) {
  QString result = text;
  for (QChar& c : result)
    if (c.isSpace())
      c = u' ';
  while (result.contains(QStringLiteral("  ")))
    result.replace(QStringLiteral("  "), QStringLiteral(" "));
  return result;
}

}  // namespace

std::string SnippetText(const std::vector<SnippetPart>& parts) {
  std::string text;
  for (const SnippetPart& part : parts)
    text += part.text;
  return text;
}

std::vector<SnippetPart> MakeSnippet(const std::string& utf8,
                                     const std::function<bool(const std::string&)>& matches,
                                     int width) {
  const QString text = QString::fromStdString(utf8);
  const std::vector<Word> words = Words(text, matches, width);
  if (words.empty())
    return {};
  // Start a few words before the first hit, so the hit is seen in context.
  std::size_t first = 0;
  while (first < words.size() && !words[first].marked)
    ++first;
  if (first == words.size())
    first = 0;
  std::size_t from = first;
  while (from > 0 && words[first].start - words[from - 1].start < width / 3)
    --from;
  std::vector<SnippetPart> parts;
  qsizetype cursor = words[from].start;
  const qsizetype limit = words[from].start + width;
  QString plain;
  for (std::size_t i = from; i < words.size() && words[i].end <= limit; ++i) {
    const Word& word = words[i];
    if (!word.marked)
      continue;
    plain += text.mid(cursor, word.start - cursor);
    if (!plain.isEmpty())
      parts.push_back({Simplified(plain).toStdString(), false});
    plain.clear();
    parts.push_back({text.mid(word.start, word.end - word.start).toStdString(), true});
    cursor = word.end;
  }
  // The rest up to the last whole word inside the width.
  qsizetype end = cursor;
  for (const Word& word : words)
    if (word.start >= cursor && word.end <= limit)
      end = word.end;
  plain += text.mid(cursor, end - cursor);
  if (!plain.isEmpty())
    parts.push_back({Simplified(plain).toStdString(), false});
  return parts;
}
