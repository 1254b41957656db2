#pragma once

#include <QApplication>

// The application object: opens the debug log, names the settings location and
// runs the main window modally; the program ends when that window closes.
class CFoliantApp : public QApplication {
  Q_OBJECT

 public:
  CFoliantApp(int& argc, char** argv);
  ~CFoliantApp() override;

  // Start-up; returns false so that the program ends when it returns.
  bool InitInstance();
  // Shutdown after InitInstance() returned; the process exit status.
  int ExitInstance();

  // InitInstance() then ExitInstance().
  int Run();

 private:
  bool started_ = false;
};
