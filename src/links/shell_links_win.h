#pragma once

#include <windows.h>

#include <cstddef>

// The program's shortcut files: inspection, creation and deletion. COM must
// be initialised on the calling thread.

// Room for the link file name: 256 characters and the terminator.
const size_t kActiveLinkFileNameSize = 257;

// The shortcut manager's own copy of AppState's linkFileName, taken by the
// Links dialog when it opens; every operation here reads only this copy.
extern char activeLinkFileName[kActiveLinkFileNameSize];

// The file exists in an existing folder and loads as a shell link.
bool IsLoadableShellLink(const char* linkPath);

// The target path of a loadable shell link.
bool ReadLinkTarget(const char* linkPath, char* target, size_t targetSize);

// The link loads and its target is this program's path, byte for byte.
bool LinkPointsToThisProgram(const char* linkPath);

// Writes the shortcut to this program into `folderPath`, asking first when a
// shortcut of that name points elsewhere. Reports failures by message box.
void CreateLinkInFolder(HWND owner, const char* folderPath);

// Removes the shortcut file from `folderPath`, whatever it points to. Silent.
void DeleteLinkInFolder(HWND owner, const char* folderPath);
