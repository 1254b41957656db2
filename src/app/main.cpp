#include <cstdio>
#include <cstdlib>

#include "app/CFoliantApp.h"
#include "app/CommandLine.h"
#include "platform/imaging/PageBufferMemory.h"

int main(int argc, char** argv) {
  ReturnPageBuffersToSystem();
  if (auto status = RunCommandLine(argc, argv)) {
    // The command's work is done and its objects are gone. A scanner backend
    // may have cancelled a thread of its own while it held the C library's
    // locale lock, and the libraries' exit handlers would then wait for it
    // forever: the exit status must reach the caller all the same.
    std::fflush(nullptr);
    std::_Exit(*status);
  }
  CFoliantApp app(argc, argv);
  return app.Run();
}
