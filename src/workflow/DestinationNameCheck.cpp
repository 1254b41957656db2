#include "workflow/DestinationNameCheck.h"

DestinationNameProblem CheckDestinationName(const std::string& name) {
  if (name.empty())
    return DestinationNameProblem::Empty;
  if (name.find_first_of("\\/:*?\"<>|") != std::string::npos)
    return DestinationNameProblem::IllegalCharacters;
  if (name == "." || name == "..")
    return DestinationNameProblem::DotName;
  return DestinationNameProblem::None;
}
