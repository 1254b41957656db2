#include "core/SystemMessages.h"

#include <array>
#include <atomic>
#include <utility>

namespace {

std::optional<std::string> BuiltInText(ResultCode code) {
  static constexpr std::array<std::pair<ResultCode, const char*>, 10> kTexts{{
      {S_OK, "The operation completed successfully."},
      {E_NOTIMPL, "Not implemented"},
      {E_POINTER, "Invalid pointer"},
      {E_ABORT, "Operation aborted"},
      {E_FAIL, "Unspecified error"},
      {E_UNEXPECTED, "Catastrophic failure"},
      {E_ACCESSDENIED, "Access is denied."},
      {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
      {E_INVALIDARG, "The parameter is incorrect."},
      {static_cast<ResultCode>(0x80070070u), "There is not enough space on the disk."},
  }};
  for (const auto& [known, text] : kTexts) {
    if (known == code)
      return std::string(text);
  }
  return std::nullopt;
}

std::atomic<SystemMessageSource> gSource{&BuiltInText};

}  // namespace

std::optional<std::string> SystemMessageText(ResultCode code) {
  return gSource.load()(code);
}

void SetSystemMessageSource(SystemMessageSource source) {
  gSource.store(source != nullptr ? source : &BuiltInText);
}
