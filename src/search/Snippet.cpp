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
// The end of the word starting at `i`, and the word folded.
qsizetype WordAt(const QString& text, qsizetype i, std::string& folded) {
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
  return end;
}

// Where the next line's first word starts when a hyphen ends the line right
// after the word ending at `end`, else -1.
qsizetype NextLineWord(const QString& text, qsizetype end) {
  static const QString kHyphens = QStringLiteral("-\u2010\u00AD\u00AC");
  if (end >= text.size() || !kHyphens.contains(text[end]))
    return -1;
  qsizetype i = end + 1;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r'))
    ++i;
  if (i >= text.size() || (text[i] != u'\n' && text[i] != u'\f'))
    return -1;
  for (++i; i < text.size() && text[i].isSpace(); ++i) {
  }
  return i < text.size() && text[i].isLetter() ? i : -1;
}

std::vector<Word> Words(const QString& text, const std::function<bool(const std::string&)>& matches,
                        int width) {
  std::vector<Word> words;
  std::string folded;
  std::string next;
  qsizetype stop = text.size();
  qsizetype i = 0;
  while (i < text.size() && i <= stop) {
    if (!text[i].isLetterOrNumber()) {
      ++i;
      continue;
    }
    const qsizetype end = WordAt(text, i, folded);
    words.push_back({i, end, matches(folded)});
    // A word hyphenated at a line end counts as the whole word for both its parts.
    if (const qsizetype rest = NextLineWord(text, end); rest >= 0) {
      const qsizetype restEnd = WordAt(text, rest, next);
      if (matches(folded + next)) {
        words.back().marked = true;
        words.push_back({rest, restEnd, true});
        if (stop == text.size())
          stop = i + width;
        i = restEnd;
        continue;
      }
    }
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
