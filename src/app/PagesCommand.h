#pragma once

#include <optional>
#include <string>

struct CommandArguments;
struct PageChanges;

// "docketeer pages FILE" turns, removes, moves and splits off pages of a PDF
// or TIFF document; "docketeer join A B... --output NEW" joins documents. Each
// prints the paths it wrote and returns the exit status.
int RunPagesCommand(const CommandArguments& arguments);
int RunJoinCommand(const CommandArguments& arguments);

// Reads --turn 3:180,5:90, --remove 4,6-8, --move 2:5 and --split-after 3;
// the message says which value does not fit.
std::optional<std::string> ReadPageChanges(const CommandArguments& arguments, PageChanges& changes);
