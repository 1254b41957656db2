#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/CleanupChoices.h"
#include "core/FileFormatType.h"
#include "core/PixelType.h"
#include "naming/FileNameFormat.h"
#include "settings/DocumentSize.h"
#include "settings/IDataSourceSize.h"

// The choices of the document being scanned, as the window holds them after
// ReadControls(). Folder paths end in "/".
struct ScanChoices {
  std::string destinationFolder;
  std::string destinationName;
  FileFormatType fileFormatType = FileFormatType::Bmp;
  bool isMultiPageDocument = false;
  bool rotateNinety = false;
  DocumentSize documentSize;  // thousandths of an inch, never swapped
  int resolution = 0;
  PixelType pixelType = PixelType::ColorHigh;
  bool showScannerUi = false;
  // The document feeder (true) or the glass (false); unset keeps the source's own choice.
  std::optional<bool> feeder;
  bool viewAfterSaving = false;
  bool useDefaultViewer = false;
  bool updateDestinationAfterScanning = false;
  // Set when the name is the one the folder's format proposed: a proposed
  // name that another scan took meanwhile moves on along this series; a name
  // the user gave is never moved.
  std::optional<FileNameFormat> nameSeries;
  CleanupChoices cleanup;
};

// What the scan workflow needs of the main window. The window implements it;
// the workflow never reaches into widgets, so it runs the same under tests
// and without a window.
class ScanWorkflowHost {
 public:
  virtual ~ScanWorkflowHost() = default;

  // An item is selected in the folder tree.
  virtual bool IsDestinationSelected() const = 0;
  // The Destination Name text as the user typed it, before ReadControls().
  virtual std::string DestinationNameText() const = 0;
  // The source selection of the Select Source button; ends with UpdateControls().
  virtual void SelectSource() = 0;
  // Controls into the window's fields, and the fields as choices.
  virtual void ReadControls() = 0;
  virtual ScanChoices Choices() const = 0;
  // Gives the Destination Name box the focus; `selectAll` selects its text.
  virtual void FocusDestinationName(bool selectAll) = 0;
  virtual void SaveSettings() = 0;
  virtual void SaveFolderPreferences() = 0;
  // LoadFolderPreferences() and UpdateControls(): the name box shows the
  // name the folder's format proposes next.
  virtual void ReloadFolderPreferences() = 0;
  // The document took `name` instead: the proposed one was taken meanwhile.
  virtual void DestinationNameChanged(const std::string& name) { (void)name; }
  // Tells how many blank pages of the document were set aside and where;
  // an empty notice clears the last one.
  virtual void ShowPagesSetAside(const std::string& notice) { (void)notice; }
  // The scanner's glass when it is known: a larger document size is refused
  // before the scan, as the page would come out stretched.
  virtual std::optional<ScanAreaSize> GlassSize() const { return std::nullopt; }
  // A page came from the scanner, before it is written: the scanner's bitmap
  // (a DIB), valid only during the call.
  virtual void PageArrived(const void* dib, std::size_t size) {
    (void)dib;
    (void)size;
  }
  // A document is complete on disk: `pageTexts` holds the recognised text of
  // each page, or nothing when its pages were not recognised.
  virtual void DocumentSaved(const std::string& path, const std::vector<std::string>& pageTexts) {
    (void)path;
    (void)pageTexts;
  }
};
