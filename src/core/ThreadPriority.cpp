#include "core/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

void LowerThreadPriority() {
  // On Linux the nice value belongs to the thread, and new threads inherit it.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
}
