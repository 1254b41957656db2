#pragma once

struct CommandArguments;

// "docketeer index [--recognise]": brings the archive's index up to date
// and, with --recognise, reads the pictures and PDFs without text that wait
// for recognition, with progress on a terminal.
int RunIndexCommand(const CommandArguments& arguments);
