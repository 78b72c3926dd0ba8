#include "links/shell_folders.h"

#include <cstring>

#include "common/join_path.h"
#include "common/trim_whitespace.h"

const char kQuickLaunchSuffix[] = "Microsoft\\Internet Explorer\\Quick Launch";

const ShellFolderValue kUserShellFolderValues[kUserShellFolderValueCount] = {
    {"Desktop", UserDesktop, 0},
    {"Start Menu", UserStartMenu, 0},
    {"Programs", UserPrograms, 0},
    {"Startup", UserStartup, 0},
    {"AppData", UserQuickLaunch, kUserQuickLaunchCut},
};

const ShellFolderValue kMachineShellFolderValues[kMachineShellFolderValueCount] = {
    {"Common Desktop", CommonDesktop, 0},
    {"Common Start Menu", CommonStartMenu, 0},
    {"Common Programs", CommonPrograms, 0},
    {"Common Startup", CommonStartup, 0},
    {"Common AppData", CommonQuickLaunch, kMachineQuickLaunchCut},
    {"Desktop", MachineDesktop, 0},
    {"Start Menu", MachineStartMenu, 0},
    {"Programs", MachinePrograms, 0},
    {"Startup", MachineStartup, 0},
    {"AppData", MachineQuickLaunch, kMachineQuickLaunchCut},
};

// The folder path for a trimmed value; false when it would not fit, so that a
// path is never cut into another one.
static bool ComposeFolderPath(const char* text, size_t quickLaunchCut, char* path,
                              size_t pathSize)
{
    size_t length = strlen(text);
    if (quickLaunchCut == 0) {
        if (length >= pathSize)
            return false;
        memcpy(path, text, length + 1);
        return true;
    }
    if (length > quickLaunchCut)
        length = quickLaunchCut;
    return JoinPath(text, length, kQuickLaunchSuffix, path, pathSize);
}

void ApplyShellFolderValue(bool queried, uint32_t type, const char* bytes, uint32_t byteCount,
                           size_t quickLaunchCut, ShellFolderLocation& location)
{
    // One byte more than the query can fill: a value that uses every byte
    // without a terminator is still read whole.
    char text[kShellFolderValueSize + 1] = {0};
    if (queried && bytes != nullptr) {
        size_t count = byteCount < kShellFolderValueSize ? byteCount : kShellFolderValueSize;
        memcpy(text, bytes, count);
        text[count] = '\0';
        TrimWhitespace(text);
    }
    char path[kShellFolderPathSize];
    bool found = queried && type == kRegistryStringType && strlen(text) > 1 &&
                 ComposeFolderPath(text, quickLaunchCut, path, sizeof(path));
    location.found = found ? 1 : 0;
    if (found)
        memcpy(location.path, path, strlen(path) + 1);
}
