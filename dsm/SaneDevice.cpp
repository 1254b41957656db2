#include "dsm/SaneDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool IsNumeric(const SANE_Option_Descriptor& descriptor) {
  return (descriptor.type == SANE_TYPE_INT || descriptor.type == SANE_TYPE_FIXED) &&
         descriptor.size == static_cast<SANE_Int>(sizeof(SANE_Word));
}

double FromWord(const SANE_Option_Descriptor& descriptor, SANE_Word word) {
  return descriptor.type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

SANE_Word ToWord(const SANE_Option_Descriptor& descriptor, double value) {
  return descriptor.type == SANE_TYPE_FIXED ? SANE_FIX(value)
                                            : static_cast<SANE_Word>(std::lround(value));
}

}  // namespace

double NumberChoices::Nearest(double wanted) const {
  if (isRange) {
    double value = std::clamp(wanted, minimum, maximum);
    if (step > 0)
      value = std::min(maximum, minimum + std::round((value - minimum) / step) * step);
    return value;
  }
  double best = wanted;
  double bestDistance = std::numeric_limits<double>::max();
  for (double candidate : list) {
    if (std::abs(candidate - wanted) < bestDistance) {
      best = candidate;
      bestDistance = std::abs(candidate - wanted);
    }
  }
  return best;
}

SaneDevice::SaneDevice(SaneApi& api) : api_(api) {}

SaneDevice::~SaneDevice() {
  Close();
}

SANE_Status SaneDevice::Open(const std::string& name) {
  Close();
  SANE_Handle handle = nullptr;
  const SANE_Status status = api_.Open(name, &handle);
  if (status != SANE_STATUS_GOOD)
    return status;
  if (handle == nullptr)
    return SANE_STATUS_INVAL;
  handle_ = handle;
  LoadOptionNames();
  return SANE_STATUS_GOOD;
}

void SaneDevice::Close() {
  if (handle_ != nullptr)
    api_.Close(handle_);
  handle_ = nullptr;
  indexes_.clear();
}

void SaneDevice::LoadOptionNames() {
  indexes_.clear();
  // Option 0 holds the number of options; a broken count ends at the first gap.
  for (int index = 1; index < 4096; ++index) {
    const SANE_Option_Descriptor* descriptor = api_.GetOptionDescriptor(handle_, index);
    if (descriptor == nullptr)
      break;
    if (descriptor->name != nullptr && descriptor->name[0] != '\0')
      indexes_.emplace(descriptor->name, index);
  }
}

int SaneDevice::IndexOf(const char* name) const {
  const auto found = indexes_.find(name);
  return found != indexes_.end() ? found->second : -1;
}

const SANE_Option_Descriptor* SaneDevice::Descriptor(const char* name) const {
  const int index = IndexOf(name);
  return index < 0 || handle_ == nullptr ? nullptr : api_.GetOptionDescriptor(handle_, index);
}

bool SaneDevice::IsActive(const char* name) const {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  return descriptor != nullptr && SANE_OPTION_IS_ACTIVE(descriptor->cap);
}

bool SaneDevice::IsSettable(const char* name) const {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  return descriptor != nullptr && SANE_OPTION_IS_ACTIVE(descriptor->cap) &&
         SANE_OPTION_IS_SETTABLE(descriptor->cap);
}

std::vector<std::string> SaneDevice::StringChoices(const char* name) const {
  std::vector<std::string> choices;
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  if (descriptor == nullptr || descriptor->type != SANE_TYPE_STRING ||
      descriptor->constraint_type != SANE_CONSTRAINT_STRING_LIST ||
      descriptor->constraint.string_list == nullptr)
    return choices;
  for (const SANE_String_Const* item = descriptor->constraint.string_list; *item != nullptr; ++item)
    choices.emplace_back(*item);
  return choices;
}

NumberChoices SaneDevice::NumberChoicesOf(const char* name) const {
  NumberChoices choices;
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  if (descriptor == nullptr || !IsNumeric(*descriptor))
    return choices;
  if (descriptor->constraint_type == SANE_CONSTRAINT_RANGE && descriptor->constraint.range) {
    const SANE_Range& range = *descriptor->constraint.range;
    choices.isRange = true;
    choices.minimum = FromWord(*descriptor, range.min);
    choices.maximum = FromWord(*descriptor, range.max);
    choices.step = FromWord(*descriptor, range.quant);
  } else if (descriptor->constraint_type == SANE_CONSTRAINT_WORD_LIST &&
             descriptor->constraint.word_list) {
    const SANE_Word* words = descriptor->constraint.word_list;
    for (SANE_Word i = 1; i <= words[0] && i < 4096; ++i)
      choices.list.push_back(FromWord(*descriptor, words[i]));
  }
  return choices;
}

SANE_Unit SaneDevice::UnitOf(const char* name) const {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  return descriptor != nullptr ? descriptor->unit : SANE_UNIT_NONE;
}

SANE_Status SaneDevice::Control(int index, SANE_Action action, void* value) {
  SANE_Int info = 0;
  const SANE_Status status = api_.ControlOption(handle_, index, action, value, &info);
  if (status == SANE_STATUS_GOOD && (info & SANE_INFO_RELOAD_OPTIONS))
    LoadOptionNames();
  return status;
}

std::optional<std::string> SaneDevice::GetString(const char* name) {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  if (descriptor == nullptr || descriptor->type != SANE_TYPE_STRING || descriptor->size <= 0 ||
      !SANE_OPTION_IS_ACTIVE(descriptor->cap))
    return std::nullopt;
  std::vector<char> buffer(static_cast<std::size_t>(descriptor->size) + 1, '\0');
  if (Control(IndexOf(name), SANE_ACTION_GET_VALUE, buffer.data()) != SANE_STATUS_GOOD)
    return std::nullopt;
  buffer.back() = '\0';
  return std::string(buffer.data());
}

SANE_Status SaneDevice::SetString(const char* name, const std::string& value) {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  if (descriptor == nullptr || descriptor->type != SANE_TYPE_STRING || descriptor->size <= 0)
    return SANE_STATUS_UNSUPPORTED;
  if (value.size() >= static_cast<std::size_t>(descriptor->size))
    return SANE_STATUS_INVAL;
  std::vector<char> buffer(static_cast<std::size_t>(descriptor->size), '\0');
  std::memcpy(buffer.data(), value.data(), value.size());
  return Control(IndexOf(name), SANE_ACTION_SET_VALUE, buffer.data());
}

std::optional<double> SaneDevice::GetNumber(const char* name) {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  if (descriptor == nullptr || !IsNumeric(*descriptor) || !SANE_OPTION_IS_ACTIVE(descriptor->cap))
    return std::nullopt;
  const SANE_Option_Descriptor copy = *descriptor;
  SANE_Word word = 0;
  if (Control(IndexOf(name), SANE_ACTION_GET_VALUE, &word) != SANE_STATUS_GOOD)
    return std::nullopt;
  return FromWord(copy, word);
}

SANE_Status SaneDevice::SetNumber(const char* name, double value) {
  const SANE_Option_Descriptor* descriptor = Descriptor(name);
  if (descriptor == nullptr || !IsNumeric(*descriptor))
    return SANE_STATUS_UNSUPPORTED;
  SANE_Word word = ToWord(*descriptor, value);
  return Control(IndexOf(name), SANE_ACTION_SET_VALUE, &word);
}
