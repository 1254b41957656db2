#include "core/ContractChecks.h"

#include <cstdio>
#include <stdexcept>

#include "core/DebugLog.h"

namespace {

constexpr std::size_t kMaxFileName = 255;
constexpr std::size_t kMaxEntry = 512;

template <typename Error>
void RaiseUnless(const ContractLocation& location, bool condition) {
  if (condition)
    return;
  const Error error{std::runtime_error("")};
  LogContractFailure(location, error.what(), error.failure_text());
  throw error;
}

}  // namespace

ContractLocation::ContractLocation(const char* fileName, int lineNumber)
    : file(fileName != nullptr ? fileName : ""), line(lineNumber) {
  if (file.size() > kMaxFileName)
    file.resize(kMaxFileName);
}

void CheckPrecondition(const ContractLocation& location, bool condition) {
  RaiseUnless<precondition_error>(location, condition);
}

void CheckPostcondition(const ContractLocation& location, bool condition) {
  RaiseUnless<postcondition_error>(location, condition);
}

void CheckInvariant(const ContractLocation& location, bool condition) {
  RaiseUnless<invariant_error>(location, condition);
}

void CheckResultCode(const ContractLocation& location, bool condition, ResultCode code) {
  if (condition)
    return;
  const postcondition_error error(code);
  LogContractFailure(location, error.what(), error.failure_text());
  throw error;
}

void LogContractFailure(const ContractLocation& location, const char* message,
                        const char* failureText) {
  char entry[kMaxEntry];
  std::snprintf(entry, sizeof entry, "\r\n%s (%d) : %s%s\r\n\r\n", location.file.c_str(),
                location.line, failureText, message);
  Log(LOG_LOCATION, "$ %s", entry);
}
