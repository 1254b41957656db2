#pragma once

#include <optional>
#include <string>

#include "core/ResultCodes.h"

// Texts for the result codes the program uses, in place of the operating
// system's message table. No value means the code has no text.
std::optional<std::string> SystemMessageText(ResultCode code);

// Tests replace the table to check how texts are used; nullptr restores it.
using SystemMessageSource = std::optional<std::string> (*)(ResultCode code);
void SetSystemMessageSource(SystemMessageSource source);
