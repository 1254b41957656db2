#include "app/CFoliantApp.h"
#include "app/CommandLine.h"
#include "platform/imaging/PageBufferMemory.h"

int main(int argc, char** argv) {
  ReturnPageBuffersToSystem();
  if (auto status = RunCommandLine(argc, argv))
    return *status;
  CFoliantApp app(argc, argv);
  return app.Run();
}
