#pragma once

struct CommandArguments;

// "docketeer next-name FOLDER": prints the name the folder's next document gets.
int RunNextNameCommand(const CommandArguments& arguments);
