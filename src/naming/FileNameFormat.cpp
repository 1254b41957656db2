#include "naming/FileNameFormat.h"

std::string FileNameFormat::BaseName() const {
  return {};
}

std::string FileNameFormat::NextName(std::string_view current) const {
  return std::string(current);
}

std::optional<FileNameFormat> FileNameFormatFromValues(int recurrence, int item, int relation,
                                                       int index) {
  auto inRange = [](int value, int last) { return value >= 0 && value <= last; };
  if (!inRange(recurrence, kLastRecurrenceType) || !inRange(item, kLastItemType) ||
      !inRange(relation, kLastRelationType) || !inRange(index, kLastIndexType)) {
    return std::nullopt;
  }
  return FileNameFormat{static_cast<RecurrenceType>(recurrence), static_cast<ItemType>(item),
                        static_cast<RelationType>(relation), static_cast<IndexType>(index)};
}

const std::vector<FileNameFormat>& PredefinedFormats() {
  static const std::vector<FileNameFormat> formats;
  return formats;
}

std::optional<SplitText> SplitAtMatch(std::string_view, std::string_view) {
  return std::nullopt;
}
