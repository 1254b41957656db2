#include "search/TextFolding.h"

#include <QString>
#include <algorithm>

std::string FoldText(std::string_view text) {
  // Most words are plain ASCII: lower-casing is all their folding.
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
    std::string folded(text);
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    return folded;
  }
  const QString decomposed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                                 .normalized(QString::NormalizationForm_KD);
  QString folded;
  folded.reserve(decomposed.size());
  for (const QChar c : decomposed) {
    const QChar::Category category = c.category();
    if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
        category != QChar::Mark_Enclosing)
      folded += c;
  }
  // Qt folds one character to one, so the German sharp s needs a word of its own.
  return folded.toCaseFolded().replace(QChar(0x00DF), QStringLiteral("ss")).toStdString();
}
