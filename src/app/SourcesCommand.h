#pragma once

struct CommandArguments;

// "docketeer sources": the scanners one a line, the default one marked.
int RunSourcesCommand(const CommandArguments& arguments);
