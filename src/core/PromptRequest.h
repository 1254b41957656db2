#pragma once

#include <QString>

// A question or notice the program raises, told apart by its id so that
// whoever answers (a message box, the command line, a test) never reads the
// wording.

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

enum class PromptId {
  // Raised by the window's own controls and dialogs only.
  Other,
  // Scanning a document.
  NoDestinationSelected,
  NoScanners,
  NoDestinationName,
  IllegalCharacters,
  DotName,
  ScanInProgress,
  NoDocumentSize,   // the document size has no width or height
  LargerThanGlass,  // the document size exceeds the scanner's glass
  ReplaceDocument,  // the document exists; continue?
  OverwritePage,    // a page file exists; overwrite it?
  DeletePageFiles,  // the pages of a cancelled document
  ScannerError,
  ScannerInitError,
  SaveFailed,
  SavedWithoutText,      // a PDF whose pages could not be read
  InterruptedScanPages,  // a killed scan left its pages; subject: their folder
  QuitWhileScanning,     // the window is closed during a scan
  // The archive commands.
  NoPagesFound,
  ExpandFailed,
  PagesFolderFailed,
  DeleteOriginal,
  TrashFailed,
};

struct PromptRequest {
  QString text;
  QString caption;
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::None;
  // The system's or library's own words under the fixed text, e.g. why a write failed.
  QString detail;
  PromptId id = PromptId::Other;
  // The file or folder the prompt is about, when there is one.
  QString subject;
};
