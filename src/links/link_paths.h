#pragma once

#include <cstddef>

// Paths of the program's shortcut files.

// Two MAX_PATH, the buffer link paths and the program path are held in.
const size_t kLinkPathSize = 520;

// The link path: the folder, a backslash when the folder does not already end
// in one, the link file name. False, with an empty result, for an empty
// folder or when the whole path with its terminator does not fit
// `linkPathSize` bytes: a cut path would name another file.
bool ComposeLinkPath(const char* folderPath, const char* linkFileName, char* linkPath,
                     size_t linkPathSize);

// The program path cut at its last backslash, the backslash removed
// ("C:\Tools\x.exe" gives "C:\Tools", "C:\x.exe" gives "C:"); empty when
// there is none. False, with an empty result, when it does not fit.
bool DeriveWorkingDirectory(const char* programPath, char* workingDirectory,
                            size_t workingDirectorySize);
