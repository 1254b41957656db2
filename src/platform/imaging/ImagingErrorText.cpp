#include "platform/imaging/ImagingErrorText.h"

#include <system_error>

namespace {

constexpr std::size_t kMaxLength = 512;

thread_local std::string recorded;
thread_local std::string lastMessage;

}  // namespace

void ClearImagingErrorText() {
  recorded.clear();
  lastMessage.clear();
}

void RecordImagingError(const std::string& message) {
  if (message.empty() || message == lastMessage || recorded.size() >= kMaxLength)
    return;
  lastMessage = message;
  if (!recorded.empty())
    recorded += "; ";
  recorded += message;
  if (recorded.size() > kMaxLength)
    recorded.resize(kMaxLength);
}

void RecordSystemError(int errorNumber) {
  // std::generic_category() formats with the thread-safe strerror_r.
  if (errorNumber != 0)
    RecordImagingError(std::error_code(errorNumber, std::generic_category()).message());
}

std::string ImagingErrorText() {
  return recorded;
}
