#include "settings/StoredText.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>

bool IsUtf8(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  return !decoder.hasError();
}

std::string Utf8OrLatin1(std::string_view bytes) {
  if (IsUtf8(bytes))
    return std::string(bytes);
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).toStdString();
}

std::string CutToCharacters(std::string_view utf8, std::size_t maxCharacters) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    // Continuation bytes (10xxxxxx) belong to the character before them.
    const bool startsCharacter = (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80;
    if (startsCharacter && characters++ == maxCharacters)
      return std::string(utf8.substr(0, i));
  }
  return std::string(utf8);
}

std::string OnOneLine(std::string_view text) {
  std::string line(text);
  std::ranges::replace_if(
      line, [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line;
}
