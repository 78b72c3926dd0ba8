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

// What stands at a shortcut's path.
enum LinkFileState {
    LinkAbsent,        // no file
    LinkUnreadable,    // a file that cannot be read: held open by another
                       // program, online only, no rights, a folder
    LinkNotAShortcut,  // a file that reads but is no shell link
    LinkElsewhere,     // a shortcut to another file
    LinkToProgram,     // a shortcut to this program with other settings
    LinkExact,         // a shortcut to this program with the settings it writes
};

// The four settings of a shortcut.
struct LinkSettings {
    const char* target;
    const char* workingDirectory;
    const char* iconPath;
    int iconIndex;
    const char* description;
};

// A shortcut that was read, against the one the program writes: the target
// compared byte for byte, so another path to the program in other capitals
// counts as elsewhere.
LinkFileState ClassifyShortcut(const LinkSettings& found, const LinkSettings& wanted);

// A location's box is usable when its folder is and the file there could be
// read; it is ticked when the shortcut starts this program.
bool LinkBoxUsable(bool folderUsable, LinkFileState state);
bool LinkBoxTicked(LinkFileState state);

// What processing does at a location whose box is ticked or not. A file the
// program could not read is never deleted or overwritten, a shortcut that is
// already right is left as it is (a standard user cannot rewrite the one an
// administrator made), and only a shortcut to elsewhere is asked about.
enum LinkAction { LeaveLink, WriteLink, AskThenWriteLink, DeleteLink };
LinkAction PlanLinkAction(bool ticked, LinkFileState state);
