#pragma once

struct CommandArguments;

// "docketeer search WORDS [--folder F] [--since DATE] [--until DATE]": brings
// the archive's index up to date, then prints one line per document found:
// its path, the page of the best hit and a snippet, separated by tabs.
int RunSearchCommand(const CommandArguments& arguments);
