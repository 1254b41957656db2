#include "SaneStartFaults.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<int> calls{0};
std::atomic<int> failingCall{0};
std::atomic<SANE_Status> failure{SANE_STATUS_GOOD};

using StartProc = SANE_Status (*)(SANE_Handle);

StartProc RealStart() {
  static const StartProc real = [] {
    void* library = ::dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE);
    return library ? reinterpret_cast<StartProc>(::dlsym(library, "sane_start")) : nullptr;
  }();
  if (real == nullptr)
    std::abort();
  return real;
}

}  // namespace

void FailSaneStartFrom(int call, SANE_Status status) {
  calls = 0;
  failingCall = call;
  failure = status;
}

extern "C" SANE_Status sane_start(SANE_Handle handle) {
  const int call = ++calls;
  if (failure != SANE_STATUS_GOOD && call >= failingCall)
    return failure;
  return RealStart()(handle);
}
