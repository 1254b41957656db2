#pragma once

#include "settings/PerFolderPreferences.h"

// What the own folder of a multi-page document remembers once the document
// stays a folder of page files: its pages are numbered "Page 001" onwards,
// and `pageNumber` is the number the next page would get.
FolderChoices PageFolderChoices(int pageNumber, bool rotateNinety, const DocumentSize& size);
