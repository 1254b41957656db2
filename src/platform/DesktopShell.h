#pragma once

#include <QString>
#include <QStringList>

class QUrl;

// The desktop's shell: default programs, the file manager, the trash and
// programs started by argument list. The program reaches the desktop only
// through Instance(), so tests can put a recording shell in its place.
class DesktopShell {
 public:
  virtual ~DesktopShell();

  // Opens a document or web address with the desktop's default program.
  virtual bool OpenUrl(const QUrl& url);
  // Shows a folder in the desktop's file manager.
  virtual bool OpenFolder(const QString& folder);
  // Shows the properties of a file or folder: the file manager's when one on
  // the session bus offers them, otherwise a dialog of our own. False when
  // the path does not exist.
  virtual bool ShowProperties(const QString& path);
  // Moves a file or folder to the desktop trash.
  virtual bool MoveToTrash(const QString& path);
  // Starts a program with an argument list (never through a shell).
  virtual bool StartProgram(const QString& program, const QStringList& arguments);

  static DesktopShell& Instance();
  // Replaces the shell for the life of a test; nullptr restores the desktop's.
  static void Replace(DesktopShell* shell);
};
