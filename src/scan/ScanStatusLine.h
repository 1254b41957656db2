#pragma once

#include <QLabel>
#include <string>

#include "workflow/ScanWorkflow.h"

// The one line under the scan buttons: what the scan is doing now, then how
// it ended, with a link that selects the document or folder it names. It
// keeps its height whatever it says, and a long text is cut rather than
// wrapped, so no other control ever moves; the whole text is its tooltip.
class ScanStatusLine : public QLabel {
  Q_OBJECT

 public:
  explicit ScanStatusLine(QWidget* parent = nullptr);

  void ShowStep(ScanStep step, int pageNumber, int pagesRecognised, int pages);
  // A document reached disk: its name links to it.
  void ShowSaved(const std::string& path, int pages, int pagesSetAside);
  // The pages set aside as blank, where no document was saved.
  void ShowNotice(const std::string& notice);
  void ShowStopped(const std::string& folder, int pagesKept);
  void ShowText(const QString& text);
  void Clear();

  // The texts, apart from the widget, so they can be checked as a table.
  static QString StepText(ScanStep step, int pageNumber, int pagesRecognised, int pages);
  static QString SavedText(const std::string& path, int pages, int pagesSetAside);
  static QString StoppedText(const std::string& folder, int pagesKept);

 signals:
  // The link of a saved document or a kept folder was clicked.
  void pathChosen(const std::string& path);

 private:
  void Show(const QString& html);
};
