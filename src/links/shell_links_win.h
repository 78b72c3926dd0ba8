#pragma once

#include <windows.h>

#include <cstddef>

#include "links/link_paths.h"

// The program's shortcut files: inspection, creation and deletion. COM must
// be initialised on the calling thread.

// Room for the link file name: 256 characters and the terminator.
const size_t kActiveLinkFileNameSize = 257;

// The shortcut manager's own copy of AppState's linkFileName, taken by the
// Links dialog when it opens; every operation here reads only this copy.
extern char activeLinkFileName[kActiveLinkFileNameSize];

// The target path of a loadable shell link.
bool ReadLinkTarget(const char* linkPath, char* target, size_t targetSize);

// What stands at the path, this program's path and settings compared byte
// for byte.
LinkFileState ReadLinkFileState(const char* linkPath);

// Writes the shortcut to this program into `folderPath`, asking first when a
// shortcut of that name points elsewhere, and leaving one that is already
// right or cannot be read. Reports failures by message box.
void CreateLinkInFolder(HWND owner, const char* folderPath);

// Removes the shortcut file from `folderPath`, whatever it points to, unless
// it cannot be read. A delete that fails is reported by a box naming the
// folder.
void DeleteLinkInFolder(HWND owner, const char* folderPath);
