#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/FileFormatType.h"
#include "workflow/DocumentFolderRemoval.h"
#include "workflow/PageRecognition.h"
#include "writers/WriteWorker.h"

class Prompter;

// Whether and how a document is shown once it is written.
struct ViewingChoices {
  bool viewAfterSaving = true;
  bool useDefaultViewer = false;
};

// The tree's archive commands: combine a folder of page files into one TIFF
// beside it, and turn a multi-page image file into a PDF. Questions and
// notices go to the prompter; the writing runs in the front end's worker.
class ArchiveCommands {
 public:
  // Removes the page files of `folder` (ends in "/") and, with `removeFolder`,
  // its preference file and the folder itself once it is empty.
  using FolderRemover = std::function<void(
      const std::string& folder, const std::vector<std::string>& pages, bool removeFolder)>;
  // Moves a file to the desktop's trash; false when it could not.
  using Trasher = std::function<bool(const std::string& path)>;

  // Runs each write.
  using WorkerFactory = std::function<std::unique_ptr<WriteWorker>(FileFormatType format)>;
  // Shows a written document.
  using Viewer = std::function<void(const std::string& path, bool useDefaultViewer)>;

  // What the front end hands in; all but `removeFolder` must be set.
  struct Seams {
    Prompter* prompter = nullptr;
    Trasher trash;
    WorkerFactory createWorker;
    Viewer viewFile;
    // When empty, emptied page folders are removed on a timer.
    FolderRemover removeFolder;
  };

  explicit ArchiveCommands(Seams seams);
  ArchiveCommands(const ArchiveCommands&) = delete;
  ArchiveCommands& operator=(const ArchiveCommands&) = delete;

  // Combines the page files "Page 001" to "Page 099" of `folder` (ends in "/")
  // into the TIFF named like the folder, pages sized in thousandths of an inch.
  int OnCombineToTiff(const std::string& folder, int pageWidth, int pageHeight,
                      const ViewingChoices& viewing);

  // Expands `source` into JPEG (compressed) or PNG pages in a private folder
  // beside it and combines them into the PDF named like the source.
  int ConvertToPdf(bool compressed, const std::string& source, const ViewingChoices& viewing);

  // The page files of `folder` in the order they are combined: by number from
  // 1 to 99, and for one number by extension (tif, png, gif, jpg, bmp).
  static std::vector<std::string> FindPageFiles(const std::string& folder);

  // True when nothing but `pages` and the preference file is left in `folder`.
  static bool HoldsOnly(const std::string& folder, const std::vector<std::string>& pages);

 private:
  void View(const std::string& path, const ViewingChoices& viewing);
  bool ConfirmReplacing(const std::string& target);
  std::unique_ptr<WriteWorker> MakeWorker(FileFormatType format) const;

  // Removes emptied page folders on a timer when no remover is given.
  DocumentFolderRemoval removal_;
  Seams seams_;
  PageRecognition recognition_;
};
