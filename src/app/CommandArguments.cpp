#include "app/CommandArguments.h"

#include <algorithm>

namespace {

const OptionSpec* FindOption(std::span<const OptionSpec> options, const std::string& name) {
  const auto found =
      std::find_if(options.begin(), options.end(),
                   [&name](const OptionSpec& option) { return name == option.name; });
  return found == options.end() ? nullptr : &*found;
}

}  // namespace

std::string CommandArguments::Value(const std::string& name) const {
  const auto found = options.find(name);
  return found == options.end() ? std::string() : found->second;
}

std::optional<std::string> ParseCommandArguments(const std::vector<std::string>& arguments,
                                                 std::span<const OptionSpec> options,
                                                 CommandArguments& parsed) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      parsed.positional.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      parsed.help = true;
      continue;
    }
    if (argument == "--quiet" || argument == "-q") {
      parsed.quiet = true;
      continue;
    }
    if (argument == "--verbose") {
      parsed.verbose = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const OptionSpec* option = FindOption(options, name);
    if (option == nullptr)
      return "unknown option " + name;
    if (!option->takesValue) {
      if (equals != std::string::npos)
        return "the option " + name + " takes no value";
      parsed.options[name] = std::string();
    } else if (equals != std::string::npos) {
      parsed.options[name] = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      parsed.options[name] = arguments[++i];
    } else {
      return "the option " + name + " needs a value";
    }
  }
  return std::nullopt;
}
