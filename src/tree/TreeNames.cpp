#include "tree/TreeNames.h"

#include <fnmatch.h>

namespace {

bool IsValidUtf8(const std::string& bytes, const QString& decoded) {
  return !decoded.contains(QChar::ReplacementCharacter) || decoded.toUtf8() == bytes.c_str();
}

}  // namespace

namespace TreeNames {

QString FoldedKey(const std::string& name) {
  const QString decoded = QString::fromUtf8(name);
  if (IsValidUtf8(name, decoded))
    return decoded.toCaseFolded();
  // No valid name holds a NUL, so raw keys never equal a folded one.
  return QChar(0) + QString::fromLatin1(name);
}

bool NamesEqual(const std::string& a, const std::string& b) {
  return a == b || FoldedKey(a) == FoldedKey(b);
}

bool IsHiddenFileName(const std::string& name) {
  return name.starts_with('.') ||
         QString::fromUtf8(name).compare("_defaults.ini", Qt::CaseInsensitive) == 0;
}

bool MatchesFileMask(const std::string& name, const std::string& mask) {
  if (mask == "*.*" || mask == "*" || mask.empty())
    return true;
  return ::fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0;
}

QString Label(const std::string& name) {
  QString label = QString::fromUtf8(name);
  for (QChar& c : label)
    if (c.category() == QChar::Other_Control)
      c = QChar::ReplacementCharacter;
  return label;
}

std::string ShareName(const std::string& remoteName) {
  std::string text = remoteName;
  for (int i = 0; i < 2 && text.starts_with('/'); ++i)
    text.erase(0, 1);
  const size_t colon = text.find(':');
  const size_t cut = colon != std::string::npos ? colon : text.find('/');
  if (cut != std::string::npos)
    text.erase(0, cut + 1);
  while (text.starts_with('/'))
    text.erase(0, 1);
  return text.empty() ? remoteName : text;
}

std::string NewFolderName(int tryNumber) {
  if (tryNumber <= 1)
    return "New Folder";
  return "New Folder (" + std::to_string(tryNumber) + ")";
}

}  // namespace TreeNames
