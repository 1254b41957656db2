#include "platform/profile/TextFileForm.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::string FromUtf16(std::string_view bytes, QStringConverter::Encoding encoding) {
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
  const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  return text.toStdString();
}

std::string ToUtf16(std::string_view text, QStringConverter::Encoding encoding) {
  QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
  const QByteArray bytes = encoder.encode(QString::fromUtf8(text.data(), qsizetype(text.size())));
  return bytes.toStdString();
}

}  // namespace

DecodedText DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark))
    return {TextEncoding::Utf8WithMark, std::string(bytes.substr(kUtf8Mark.size()))};
  if (bytes.starts_with(kUtf16LeMark)) {
    return {TextEncoding::Utf16Le,
            FromUtf16(bytes.substr(kUtf16LeMark.size()), QStringConverter::Utf16LE)};
  }
  if (bytes.starts_with(kUtf16BeMark)) {
    return {TextEncoding::Utf16Be,
            FromUtf16(bytes.substr(kUtf16BeMark.size()), QStringConverter::Utf16BE)};
  }
  return {TextEncoding::Plain, std::string(bytes)};
}

bool CanEncodeText(std::string_view text, TextEncoding encoding) {
  if (encoding != TextEncoding::Utf16Le && encoding != TextEncoding::Utf16Be)
    return true;
  // What is not UTF-8 comes back as U+FFFD, so only valid text survives the trip.
  const QByteArray bytes = QString::fromUtf8(text.data(), qsizetype(text.size())).toUtf8();
  return std::string_view(bytes.constData(), std::size_t(bytes.size())) == text;
}

std::string EncodeTextFile(std::string_view text, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Plain:
      break;
    case TextEncoding::Utf8WithMark:
      return std::string(kUtf8Mark).append(text);
    case TextEncoding::Utf16Le:
      return std::string(kUtf16LeMark) + ToUtf16(text, QStringConverter::Utf16LE);
    case TextEncoding::Utf16Be:
      return std::string(kUtf16BeMark) + ToUtf16(text, QStringConverter::Utf16BE);
  }
  return std::string(text);
}

std::size_t LineEndLength(std::string_view text, std::size_t at) {
  if (at >= text.size())
    return 0;
  if (text[at] == '\n')
    return 1;
  if (text[at] != '\r')
    return 0;
  return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

std::size_t CountLineEnds(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (const std::size_t length = LineEndLength(text, at)) {
      ++count;
      at += length - 1;
    }
  }
  return count;
}

std::string_view FirstLineEnd(std::string_view text, std::string_view fallback) {
  const std::size_t at = text.find_first_of("\r\n");
  return at == std::string_view::npos ? fallback : text.substr(at, LineEndLength(text, at));
}
