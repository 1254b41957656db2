#pragma once

#include <functional>

#include "settings/PerFolderPreferences.h"
#include "workflow/ScanWorkflowHost.h"

class CommandOutcome;

// The scan workflow's host for the command line: the choices are fixed before
// the scan starts, nothing is shown, and finishing a document records its
// name in the folder's preference file as the window does. The options of
// one command do not change what the folder stores for the next document.
class CommandScanHost : public ScanWorkflowHost {
 public:
  CommandScanHost(ScanChoices choices, FolderChoices stored, CommandOutcome& outcome);

  // The number the next page would get, for a document that stays a folder.
  void SetPageNumberSource(std::function<int()> pageNumber) { pageNumber_ = std::move(pageNumber); }

  bool IsDestinationSelected() const override { return true; }
  std::string DestinationNameText() const override { return choices_.destinationName; }
  void SelectSource() override {}
  void ReadControls() override {}
  ScanChoices Choices() const override { return choices_; }
  void FocusDestinationName(bool) override {}
  // The window's own settings are the user's choices in the window; a
  // command leaves them alone.
  void SaveSettings() override {}
  void SaveFolderPreferences() override;
  void ReloadFolderPreferences() override {}
  void DestinationNameChanged(const std::string& name) override { choices_.destinationName = name; }
  // One line on standard error, whether or not it is a terminal.
  void ShowPagesSetAside(const std::string& notice) override;

 private:
  void Write(const std::string& folder, const FolderChoices& choices);

  ScanChoices choices_;
  FolderChoices stored_;
  CommandOutcome& outcome_;
  std::function<int()> pageNumber_;
};
