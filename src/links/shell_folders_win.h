#pragma once

#include "links/shell_folders.h"

// The location table, indexed by LinkLocation. Process-wide and owned by the
// shortcut manager, not by AppState; zeroed at start, written only by
// ReadShellFolderLocations.
extern ShellFolderLocation shellFolderLocations[kLinkLocationCount];

// Refreshes the table from the "Shell Folders" keys of the current user and
// of the machine. A key that cannot be opened leaves its records as they were.
void ReadShellFolderLocations();
