#pragma once

#include <QString>
#include <functional>

class QWidget;

// The desktop's folder chooser. Dialogs ask for folders only through Choose(),
// so tests can answer in advance instead of opening a real chooser.
class FolderChooser {
 public:
  using Responder =
      std::function<QString(QWidget* parent, const QString& caption, const QString& startFolder)>;

  // Returns the chosen folder, or an empty text when the user cancels.
  static QString Choose(QWidget* parent, const QString& caption, const QString& startFolder);

  // Replaces the chooser; an empty responder restores the desktop's.
  static void SetResponder(Responder responder);
};
