#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One option a command accepts: "--format" with a value, "--rotate" without.
struct OptionSpec {
  const char* name;
  bool takesValue;
};

// A command's arguments after parsing: options by name (a flag maps to ""),
// and the other arguments in order. "--help", "--quiet" (no progress) and
// "--verbose" (the debug log on standard error too) are accepted by every command.
struct CommandArguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
  bool help = false;
  bool quiet = false;
  bool verbose = false;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Value(const std::string& name) const;
};

// Parses "--name value", "--name=value" and flags; "--" ends the options. An
// unknown option, a missing value or a value given to a flag is the message
// returned; nothing is returned when the arguments fit.
std::optional<std::string> ParseCommandArguments(const std::vector<std::string>& arguments,
                                                 std::span<const OptionSpec> options,
                                                 CommandArguments& parsed);
