#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "workflow/ScanWorkflowHost.h"

// The window as the workflow sees it: choices set by the test, and a count of
// what the workflow asked of it.
class FakeHost : public ScanWorkflowHost {
 public:
  bool IsDestinationSelected() const override { return selected; }
  std::string DestinationNameText() const override { return nameText; }
  void SelectSource() override { ++selectSourceCalls; }
  void ReadControls() override { choices.destinationName = nameText; }
  ScanChoices Choices() const override { return choices; }
  void FocusDestinationName(bool selectAll) override { focus.push_back(selectAll); }
  void SaveSettings() override { ++saveSettingsCalls; }
  void SaveFolderPreferences() override { ++saveFolderPreferencesCalls; }
  void ReloadFolderPreferences() override { ++reloadCalls; }
  void ShowPagesSetAside(const std::string& notice) override { notices.push_back(notice); }
  std::optional<ScanAreaSize> GlassSize() const override { return glass; }
  void DocumentSaved(const std::string& path, const std::vector<std::string>& pageTexts) override {
    saved.emplace_back(path, pageTexts);
  }

  bool selected = true;
  std::string nameText = "Doc";
  ScanChoices choices;
  std::optional<ScanAreaSize> glass;
  int selectSourceCalls = 0;
  std::vector<bool> focus;
  int saveSettingsCalls = 0;
  int saveFolderPreferencesCalls = 0;
  int reloadCalls = 0;
  std::vector<std::string> notices;
  std::vector<std::pair<std::string, std::vector<std::string>>> saved;
};
