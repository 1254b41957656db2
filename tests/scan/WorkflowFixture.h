#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "FakeScanSource.h"
#include "ScriptedPrompt.h"
#include "workflow/ScanWorkflow.h"
#include "workflow/ScanWorkflowHost.h"
#include "writers/worker/ImageWriterWorkerDlg.h"

// The workflow over an in-process scanner, saving into a temporary
// destination folder; the scans, the next-page choices and the prompt's
// answers are scripted.
class WorkflowFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the workflow (after the test has set its seams).
  void Build();
  // Scripts scans that deliver these many pages each and complete, one scan
  // per entry; the pages of each scan are 3, 4, 5... by 2 pixels.
  void ScriptScans(const std::vector<int>& pagesPerScan);
  // Runs the event loop until the workflow waits for the user or the scanner.
  void Settle();
  void Click();
  // Answers the next questions in this order (then Ok); forgets earlier questions.
  void Answer(QList<PromptAnswer> answers = {});

  std::string Folder() const;
  std::string PathOf(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // The ids of the questions and notices raised since the last Answer().
  QList<PromptId> Asked() const;

  QTemporaryDir root_;
  FakeHost host_;
  FakeScanSource source_;
  ScanWorkflowSeams seams_;
  // The writers behind the write worker; empty for the real ones.
  ImageWriterWorkerDlg::WriterFactory createWriter_;
  // Asks through whichever ScriptedPrompt answers at the time.
  WindowPrompter prompter_{nullptr};
  std::unique_ptr<ScanWorkflow> workflow_;
  std::deque<int> nextPageChoices_;
  std::vector<int> nextPageNumbers_;
  std::vector<std::string> viewed_;
  std::unique_ptr<ScriptedPrompt> prompt_;
};
