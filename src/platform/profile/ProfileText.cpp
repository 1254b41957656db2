#include "platform/profile/ProfileText.h"

#include <algorithm>

#include "core/ContractChecks.h"

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// The name of a "[Section]" line; nothing for other lines. A missing closing
// bracket takes the rest of the line, as Windows does.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() != '[')
    return std::nullopt;
  const std::string_view inside = trimmed.substr(1);
  return TrimBlanks(inside.substr(0, inside.find(']')));
}

struct KeyValue {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyValue> SplitKeyLine(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  const std::size_t equals = trimmed.find('=');
  if (trimmed.empty() || trimmed.front() == ';' || equals == std::string_view::npos) {
    return std::nullopt;
  }
  return KeyValue{TrimBlanks(trimmed.substr(0, equals)), TrimBlanks(trimmed.substr(equals + 1))};
}

bool IsValidName(std::string_view name) {
  return !name.empty() && TrimBlanks(name) == name && IsSingleLineValue(name) &&
         name.find_first_of("=[];") == std::string_view::npos;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsSingleLineValue(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

ProfileText::ProfileText(std::string_view bytes) : ProfileText(DecodeTextFile(bytes)) {}

ProfileText::ProfileText(DecodedText decoded) : encoding_(decoded.encoding) {
  std::string_view contents = decoded.text;
  newLineEnd_ = FirstLineEnd(contents, newLineEnd_);
  while (!contents.empty()) {
    const std::size_t end = std::min(contents.find_first_of("\r\n"), contents.size());
    const std::size_t endLength = LineEndLength(contents, end);
    lines_.push_back(
        Line{std::string(contents.substr(0, end)), std::string(contents.substr(end, endLength))});
    contents.remove_prefix(end + endLength);
  }
}

std::optional<ProfileText::KeyLine> ProfileText::FindKey(std::string_view section,
                                                         std::string_view key) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionName(lines_[i].text)) {
      inSection = EqualIgnoringCase(*name, section);
    } else if (const auto pair = inSection ? SplitKeyLine(lines_[i].text) : std::nullopt) {
      if (EqualIgnoringCase(pair->key, key))
        return KeyLine{i, pair->value};
    }
  }
  return std::nullopt;
}

// The index after the last non-blank line of the first matching section.
std::optional<std::size_t> ProfileText::EndOfSection(std::string_view section) const {
  std::optional<std::size_t> end;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionName(lines_[i].text)) {
      if (end)
        return end;
      if (EqualIgnoringCase(*name, section))
        end = i + 1;
    } else if (end && !TrimBlanks(lines_[i].text).empty()) {
      end = i + 1;
    }
  }
  return end;
}

std::optional<std::string> ProfileText::Value(std::string_view section,
                                              std::string_view key) const {
  const auto found = FindKey(section, key);
  if (!found)
    return std::nullopt;
  return std::string(found->value.substr(0, found->value.find('\0')));
}

bool ProfileText::CanStore(std::string_view section, std::string_view key,
                           std::string_view value) const {
  return IsValidName(section) && IsValidName(key) && IsSingleLineValue(value) &&
         CanEncodeText(section, encoding_) && CanEncodeText(key, encoding_) &&
         CanEncodeText(value, encoding_);
}

void ProfileText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  CheckPrecondition(CONTRACT_LOCATION, CanStore(section, key, value));
  std::string line(key);
  line.append("=").append(value);
  if (const auto found = FindKey(section, key)) {
    lines_[found->index].text = std::move(line);
  } else if (const auto end = EndOfSection(section)) {
    lines_.insert(lines_.begin() + std::ptrdiff_t(*end), Line{std::move(line), newLineEnd_});
  } else {
    std::string header("[");
    lines_.push_back(Line{header.append(section).append("]"), newLineEnd_});
    lines_.push_back(Line{std::move(line), newLineEnd_});
  }
}

std::string ProfileText::ToString() const {
  std::string text;
  // Only a hand-edited last line lacks its end; it gets the file's own.
  for (const Line& line : lines_)
    text.append(line.text).append(line.end.empty() ? newLineEnd_ : line.end);
  return EncodeTextFile(text, encoding_);
}
