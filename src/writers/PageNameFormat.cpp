#include "writers/PageNameFormat.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kMaxNumberDigits = 2;  // widths up to 99 are plenty for page numbers

// Skips digits; false when there are more than a file name could want.
bool SkipNumber(const std::string& format, std::size_t& i) {
  const std::size_t start = i;
  while (i < format.size() && format[i] >= '0' && format[i] <= '9')
    ++i;
  return i - start <= kMaxNumberDigits;
}

// Skips one conversion's flags, width and precision; returns the conversion
// character's position, or the end of the format when they are unusable.
std::size_t SkipFlagsWidthPrecision(const std::string& format, std::size_t i) {
  while (i < format.size() && std::strchr("-+ #0", format[i]) != nullptr)
    ++i;
  if (!SkipNumber(format, i))
    return format.size();
  if (i < format.size() && format[i] == '.' && !SkipNumber(format, ++i))
    return format.size();
  return i;
}

}  // namespace

bool IsPageNameFormat(const std::string& format) {
  int conversions = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%')
      continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    i = SkipFlagsWidthPrecision(format, i + 1);
    if (i >= format.size() || std::strchr("diuxXo", format[i]) == nullptr)
      return false;
    ++conversions;
  }
  return conversions == 1;
}

std::optional<std::string> FormatPageName(const std::string& format, int index) {
  if (!IsPageNameFormat(format))
    return std::nullopt;
  const int length = std::snprintf(nullptr, 0, format.c_str(), index);
  if (length < 0)
    return std::nullopt;
  std::vector<char> name(static_cast<std::size_t>(length) + 1);
  std::snprintf(name.data(), name.size(), format.c_str(), index);
  return std::string(name.data(), static_cast<std::size_t>(length));
}
