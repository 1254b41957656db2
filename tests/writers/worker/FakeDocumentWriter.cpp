#include "FakeDocumentWriter.h"

FakeDocumentWriter::FakeDocumentWriter(WriterJournal& journal, FileFormatType fileFormatType)
    : journal_(journal) {
  journal_.calls.push_back("create " + std::to_string(FileFormatTypeValue(fileFormatType)));
}

FakeDocumentWriter::~FakeDocumentWriter() {
  journal_.calls.push_back("destroy");
}

ResultCode FakeDocumentWriter::Save(const std::vector<std::string>& pageFiles,
                                    const std::string& fileName, int width, int height) {
  std::string call = "save pages";
  for (const std::string& file : pageFiles)
    call += " " + file;
  return Answer(call + " to " + fileName + " " + std::to_string(width) + "x" +
                std::to_string(height));
}

ResultCode FakeDocumentWriter::Save(PageImageHandle image, const std::string& fileName,
                                    int resolution, bool rotate) {
  return Answer(std::string("save image ") + (image != nullptr ? "set" : "null") + " to " +
                fileName + " " + std::to_string(resolution) + (rotate ? " rotated" : ""));
}

ResultCode FakeDocumentWriter::Expand(const std::string& sourceFile, const std::string& folder,
                                      const std::string& nameFormat,
                                      std::vector<std::string>& files, PageSize& pageSize) {
  files = journal_.expandedFiles;
  pageSize = journal_.expandedSize;
  return Answer("expand " + sourceFile + " into " + folder + nameFormat);
}

std::string FakeDocumentWriter::GetErrorText() const {
  return Failed(journal_.answer) ? journal_.reason : std::string();
}

ResultCode FakeDocumentWriter::Answer(std::string call) {
  journal_.calls.push_back(std::move(call));
  journal_.threadId = std::this_thread::get_id();
  if (journal_.duringOperation)
    journal_.duringOperation();
  return journal_.answer;
}

std::function<std::unique_ptr<IDocumentWriter>(FileFormatType)> FakeDocumentWriter::Factory(
    WriterJournal& journal) {
  return [&journal](FileFormatType fileFormatType) {
    return std::make_unique<FakeDocumentWriter>(journal, fileFormatType);
  };
}
