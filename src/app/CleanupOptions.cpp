#include "app/CleanupOptions.h"

namespace {

std::optional<std::string> Apply(const CommandArguments& arguments, const std::string& name,
                                 bool& choice) {
  const std::string off = "--no-" + name.substr(2);
  if (arguments.Has(name) && arguments.Has(off))
    return name + " and " + off + " exclude each other";
  if (arguments.Has(name))
    choice = true;
  else if (arguments.Has(off))
    choice = false;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ApplyCleanupOptions(const CommandArguments& arguments,
                                               CleanupChoices& cleanup) {
  CleanupChoices applied = cleanup;
  for (auto [name, choice] :
       {std::pair{"--skip-blank", &applied.skipBlank}, std::pair{"--upright", &applied.upright},
        std::pair{"--deskew", &applied.deskew}})
    if (auto problem = Apply(arguments, name, *choice))
      return problem;
  cleanup = applied;
  return std::nullopt;
}
