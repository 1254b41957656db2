#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/FileFormatType.h"
#include "writers/IDocumentWriter.h"

// What the fake writers of one test were asked to do. Written on the worker
// thread, read by the test after the operation has returned.
struct WriterJournal {
  std::vector<std::string> calls;  // "create 3", "save image ...", "destroy"
  std::thread::id threadId;
  ResultCode answer = S_OK;
  std::string reason;  // the error text of a failed answer
  std::vector<std::string> expandedFiles;
  PageSize expandedSize;
  // Runs inside every operation, on the worker thread.
  std::function<void()> duringOperation;
};

// A writer that records its calls in a journal and answers as scripted.
class FakeDocumentWriter : public IDocumentWriter {
 public:
  FakeDocumentWriter(WriterJournal& journal, FileFormatType fileFormatType);
  ~FakeDocumentWriter() override;

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;
  std::string GetErrorText() const override;

  // A factory for the worker that makes fakes writing into `journal`.
  static std::function<std::unique_ptr<IDocumentWriter>(FileFormatType)> Factory(
      WriterJournal& journal);

 private:
  ResultCode Answer(std::string call);

  WriterJournal& journal_;
};
