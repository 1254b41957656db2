#pragma once

#include <optional>
#include <string>

#include "app/CommandArguments.h"
#include "core/CleanupChoices.h"

// The page clean-up options of the scan command: --skip-blank, --upright and
// --deskew turn a clean-up on for this document, their --no- forms turn it
// off; without either the folder's own choice holds.
inline constexpr OptionSpec kCleanupOptions[] = {
    {"--skip-blank", false}, {"--no-skip-blank", false}, {"--upright", false},
    {"--no-upright", false}, {"--deskew", false},        {"--no-deskew", false}};

// The folder's choices with the options applied; the message says what is
// wrong with them (an option given with its own --no- form).
std::optional<std::string> ApplyCleanupOptions(const CommandArguments& arguments,
                                               CleanupChoices& cleanup);
