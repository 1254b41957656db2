#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "FakeDsmFixture.h"
#include "ScriptedPrompt.h"
#include "scan/ScanWorkflow.h"
#include "scan/ScanWorkflowHost.h"
#include "twain/SourceEventFilter.h"
#include "twain/TwainManager.h"

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
  QWidget* DialogOwner() override { return nullptr; }

  bool selected = true;
  std::string nameText = "Doc";
  ScanChoices choices;
  int selectSourceCalls = 0;
  std::vector<bool> focus;
  int saveSettingsCalls = 0;
  int saveFolderPreferencesCalls = 0;
  int reloadCalls = 0;
};

// Hands the scan manager's notifications to the workflow, as the window does.
class NotificationForwarder : public QObject {
 public:
  ScanWorkflow* workflow = nullptr;

 protected:
  bool event(QEvent* event) override;
};

// The workflow over the fake manager, saving into a temporary destination
// folder; the next-page choices and the prompt's answers are scripted.
class WorkflowFixture : public FakeDsmFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the workflow (after the test has set its seams).
  void Build();
  // Scripts scans that deliver these many pages each, one scan per entry.
  void ScriptScans(const std::vector<int>& pagesPerScan);
  // Runs the event loop until the workflow waits for the user or the scanner.
  void Settle();
  void Click();
  // Answers the next questions in this order (then Ok); forgets earlier questions.
  void Answer(QList<PromptAnswer> answers = {});

  std::string Folder() const;
  std::string PathOf(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  QStringList Asked() const;

  QTemporaryDir root_;
  FakeHost host_;
  std::unique_ptr<TwainManager> manager_;
  std::unique_ptr<SourceEventFilter> filter_;
  NotificationForwarder forwarder_;
  ScanWorkflowSeams seams_;
  std::unique_ptr<ScanWorkflow> workflow_;
  std::deque<int> nextPageChoices_;
  std::vector<int> nextPageNumbers_;
  std::vector<std::string> viewed_;
  std::unique_ptr<ScriptedPrompt> prompt_;
};
