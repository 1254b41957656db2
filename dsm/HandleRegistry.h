#pragma once

#include "twain/TwainTypes.h"

// The global memory handles the manager handed out (its memory functions, the
// sources' capability answers and pages), and the check every handle an
// application passes in goes through before the manager touches it: a wild
// handle is refused, never dereferenced.
namespace handle_registry {

void Remember(TW_HANDLE handle);
void Forget(TW_HANDLE handle);
// A handle handed out and not freed through the manager, or a block in the
// manager's own layout that an application made itself (its header is read
// through the kernel, so an unmapped address is only an error there).
bool IsBlock(TW_HANDLE handle);

}  // namespace handle_registry
