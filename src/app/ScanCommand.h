#pragma once

struct CommandArguments;

// "docketeer scan FOLDER [options]": one document into FOLDER under the
// folder's next name; prints the path written. Returns the exit status.
int RunScanCommand(const CommandArguments& arguments);
