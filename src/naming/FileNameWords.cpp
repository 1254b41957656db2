#include "naming/FileNameWords.h"

#include <array>

#include "core/ContractChecks.h"

namespace {

constexpr std::array<std::string_view, kLastRecurrenceType + 1> kRecurrenceWords = {
    "",          "",          "Day",           "Day",        "Week",
    "Weekly",    "Two Weeks", "Bi-Weekly",     "Half Month", "Semi-Monthly",
    "Month",     "Monthly",   "Two Months",    "Bi-Monthly", "Quarter",
    "Quarterly", "Half Year", "Semi-Annually", "Year",       "Yearly"};

constexpr std::array<std::string_view, kLastItemType + 1> kItemWords = {
    "", "Item", "Page", "Check", "Invoice", "Statement", "Report"};

constexpr std::array<std::string_view, kLastRelationType + 1> kRelationWords = {
    "", "", "Ending", "Dated", "for", "of", "Due"};

constexpr std::array<std::string_view, kLastIndexType + 1> kIndexWords = {
    "",  "yyyy-mm-dd", "yyyy-mm", "yyyy", "yyyy Qn", "yyyy Hn",
    "n", "nn",         "nnn",     "nnnn", "nnnnn",   "nnnnnn"};

constexpr std::array<std::string_view, kLastIndexType + 1> kIndexPatterns = {
    "",
    "{[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]}",
    "{[0-9][0-9][0-9][0-9]-[0-9][0-9]}",
    "{[0-9][0-9][0-9][0-9]}",
    "{[0-9][0-9][0-9][0-9] Q[1-4]}",
    "{[0-9][0-9][0-9][0-9] H[1-2]}",
    "{[0-9]}",
    "{[0-9][0-9]}",
    "{[0-9][0-9][0-9]}",
    "{[0-9][0-9][0-9][0-9]}",
    "{[0-9][0-9][0-9][0-9][0-9]}",
    "{[0-9][0-9][0-9][0-9][0-9][0-9]}"};

template <typename Enumeration, std::size_t Size>
std::string_view Lookup(const std::array<std::string_view, Size>& words, Enumeration value) {
  const auto at = static_cast<std::size_t>(value);
  CheckPrecondition(CONTRACT_LOCATION, at < Size);
  return words[at];
}

}  // namespace

std::string_view RecurrenceWord(RecurrenceType recurrence) {
  return Lookup(kRecurrenceWords, recurrence);
}

std::string_view ItemWord(ItemType item) {
  return Lookup(kItemWords, item);
}

std::string_view RelationWord(RelationType relation) {
  return Lookup(kRelationWords, relation);
}

std::string_view IndexWord(IndexType index) {
  return Lookup(kIndexWords, index);
}

std::string_view IndexPattern(IndexType index) {
  return Lookup(kIndexPatterns, index);
}

int CounterWidth(IndexType index) {
  const int value = static_cast<int>(index);
  const int first = static_cast<int>(IndexType::Counter1);
  return value >= first && value <= kLastIndexType ? value - first + 1 : 0;
}
