#pragma once

// Lets the calling thread, and the threads it starts from now on, yield to the
// window: the lowest nice value rather than the idle class, which a busy
// machine starves. For work in the background that nobody waits for.
void LowerThreadPriority();
