#include "links/shell_folders_win.h"

#include <windows.h>

// The plain reading rule compares the type against REG_SZ by value.
static_assert(REG_SZ == kRegistryStringType, "REG_SZ");

ShellFolderLocation shellFolderLocations[kLinkLocationCount];

static const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

static void ReadShellFolderValues(HKEY hive, const ShellFolderValue* values, size_t count)
{
    HKEY key;
    if (RegOpenKeyExA(hive, kShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < count; ++i) {
        BYTE buffer[kShellFolderValueSize];
        DWORD type = REG_NONE;
        DWORD byteCount = sizeof(buffer);
        bool queried = RegQueryValueExA(key, values[i].valueName, NULL, &type, buffer,
                                        &byteCount) == ERROR_SUCCESS;
        ApplyShellFolderValue(queried, type, (const char*)buffer, byteCount,
                              values[i].quickLaunchCut,
                              shellFolderLocations[values[i].location]);
    }
    RegCloseKey(key);
}

void ReadShellFolderLocations()
{
    ReadShellFolderValues(HKEY_CURRENT_USER, kUserShellFolderValues, kUserShellFolderValueCount);
    ReadShellFolderValues(HKEY_LOCAL_MACHINE, kMachineShellFolderValues,
                          kMachineShellFolderValueCount);
}
