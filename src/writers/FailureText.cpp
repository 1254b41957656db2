#include "writers/FailureText.h"

#include <system_error>

std::string FailureText(const std::string& file, const std::string& what,
                        const std::string& detail) {
  std::string text = (file.empty() ? std::string("(no file name)") : file) + ": " + what;
  if (!detail.empty())
    text += " (" + detail + ")";
  return text;
}

std::string SystemErrorText(int errorNumber) {
  if (errorNumber == 0)
    return {};
  return std::error_code(errorNumber, std::generic_category()).message();
}
