#pragma once

#include <QStringList>
#include <string>

class QWidget;

// How saved documents reach the user's desktop: viewers, the file manager,
// property sheets and other programs. Everything goes through DesktopShell,
// so tests can stand in for the desktop.

// Shows a file. Pictures (.bmp .tif .tiff .gif .jpg .jpeg .png, any case) open
// in the built-in viewer unless `useDefaultViewer` is set; everything else
// opens in the desktop's default program. The previous built-in viewer is
// closed first. With `keepFocus` the owner stays the active window. False
// when no program could be started for it.
bool ViewFile(const std::string& path, bool useDefaultViewer, bool keepFocus, QWidget* owner);

// Shows a file at a page (1 onwards): the built-in viewer turns to it; a PDF
// opens in the first viewer that takes a page on its command line (evince,
// okular, mupdf), else in the desktop's default program at its first page,
// since the desktop's opener drops a page given in the address. False when
// no program could be started.
bool ViewFileAtPage(const std::string& path, int page, bool useDefaultViewer, QWidget* owner);

// The command lines that open `path` at `page`, in the order they are tried.
QList<QStringList> PageViewerCommands(const QString& path, int page);

// Closes a viewer window of ours; nothing happens for null.
void CloseViewer(QWidget* viewer);

// The built-in viewer that ViewFile opened last, or null once it is closed.
QWidget* CurrentViewer();

// Opens the folder in the desktop's file manager.
bool ExploreFolder(const std::string& path);

// Shows the properties of a file or folder.
bool ShowFileProperties(const std::string& path);

// Starts a program with an argument list, never through a shell. With
// `keepFocus` the owner is brought back to the front once the program is up.
bool RunProgram(const QString& program, const QStringList& arguments, bool keepFocus,
                QWidget* owner);

// True for the picture extensions the built-in viewer shows.
bool IsPictureFile(const std::string& path);
