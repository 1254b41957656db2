#include "core/ContractError.h"

#include <cstdio>
#include <utility>

#include "core/SystemMessages.h"

namespace {

constexpr char kPreconditionText[] = "precondition failure : ";
constexpr char kPostconditionText[] = "postcondition failure : ";
constexpr char kInvariantText[] = "invariant failure : ";

// System texts end in a line break; a text of one character is kept as it is.
std::string WithoutLineEnd(std::string text) {
  if (text.size() > 1 && text.back() == '\n') {
    text.pop_back();
    if (!text.empty() && text.back() == '\r')
      text.pop_back();
  }
  return text;
}

}  // namespace

std::string ResultCodeMessage(ResultCode code) {
  const auto hex = static_cast<unsigned long>(static_cast<std::uint32_t>(code));
  char buffer[64];
  if (auto text = SystemMessageText(code)) {
    std::snprintf(buffer, sizeof buffer, "Error code 0x%0lX : ", hex);
    return buffer + WithoutLineEnd(std::move(*text));
  }
  std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", hex);
  return buffer;
}

contract_error::contract_error(std::string failureText, std::string message)
    : code_(E_FAIL), failureText_(std::move(failureText)), message_(std::move(message)) {}

contract_error::contract_error(std::string failureText, ResultCode code)
    : code_(code), failureText_(std::move(failureText)) {}

contract_error::~contract_error() = default;

const char* contract_error::what() const noexcept {
  if (message_.empty()) {
    try {
      message_ = ResultCodeMessage(code_);
    } catch (...) {
      return failureText_.c_str();
    }
  }
  return message_.c_str();
}

ResultCode contract_error::error_code() const noexcept {
  return code_;
}

const char* contract_error::failure_text() const noexcept {
  return failureText_.c_str();
}

precondition_error::precondition_error(const std::exception& e)
    : contract_error(kPreconditionText, e.what()) {}

postcondition_error::postcondition_error(const std::exception& e)
    : contract_error(kPostconditionText, e.what()) {}

postcondition_error::postcondition_error(ResultCode code)
    : contract_error(kPostconditionText, code) {}

invariant_error::invariant_error(const std::exception& e)
    : contract_error(kInvariantText, e.what()) {}
