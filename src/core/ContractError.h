#pragma once

#include <exception>
#include <string>

#include "core/ResultCodes.h"

// The exception family raised by failed contract checks. The message of an
// exception without its own text is made from its result code on first use.
class contract_error : public std::exception {
 public:
  contract_error(std::string failureText, std::string message);
  contract_error(std::string failureText, ResultCode code);
  contract_error(const contract_error&) = default;
  ~contract_error() override;

  const char* what() const noexcept override;
  virtual ResultCode error_code() const noexcept;
  virtual const char* failure_text() const noexcept;

 private:
  ResultCode code_;
  std::string failureText_;
  mutable std::string message_;
};

class precondition_error : public contract_error {
 public:
  explicit precondition_error(const std::exception& e);
};

class postcondition_error : public contract_error {
 public:
  explicit postcondition_error(const std::exception& e);
  explicit postcondition_error(ResultCode code);
};

class invariant_error : public contract_error {
 public:
  explicit invariant_error(const std::exception& e);
};

// The message of a result code: "Error code 0x<code> : <text>" or
// "Unknown error 0x<code>", the code in upper-case hexadecimal.
std::string ResultCodeMessage(ResultCode code);
