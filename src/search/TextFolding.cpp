#include "search/TextFolding.h"

#include <QString>

std::string FoldText(std::string_view text) {
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
