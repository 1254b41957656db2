#include "app/CFoliantApp.h"
#include "app/CommandLine.h"

int main(int argc, char** argv) {
  if (auto status = RunCommandLine(argc, argv))
    return *status;
  CFoliantApp app(argc, argv);
  return app.Run();
}
