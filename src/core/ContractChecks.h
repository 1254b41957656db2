#pragma once

#include <string>

#include "core/ContractError.h"

// The call site of a contract check; file names longer than 255 characters are cut.
struct ContractLocation {
  ContractLocation(const char* file, int line);

  std::string file;
  int line;
};

#define CONTRACT_LOCATION (ContractLocation(__FILE_NAME__, __LINE__))

// A false condition logs the failure and raises the check's exception.
void CheckPrecondition(const ContractLocation& location, bool condition);
void CheckPostcondition(const ContractLocation& location, bool condition);
void CheckInvariant(const ContractLocation& location, bool condition);

// For platform and library calls: a false condition raises a
// postcondition_error that carries `code`.
void CheckResultCode(const ContractLocation& location, bool condition, ResultCode code);

// Writes the log entry of a failed check (cut to 511 characters).
void LogContractFailure(const ContractLocation& location, const char* message,
                        const char* failureText);
