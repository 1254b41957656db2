#pragma once

struct CommandArguments;

// "docketeer combine FOLDER" and "docketeer convert FILE": the tree's Combine
// to TIFF and Convert to PDF. Each prints the path it wrote and returns the
// exit status.
int RunCombineCommand(const CommandArguments& arguments);
int RunConvertCommand(const CommandArguments& arguments);
