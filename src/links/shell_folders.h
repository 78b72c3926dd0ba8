#pragma once

#include <cstddef>
#include <cstdint>

// The fifteen shell folders a shortcut to the program can go into, and the
// rule that turns one "Shell Folders" registry value into a location.

enum LinkLocation {
    UserQuickLaunch,
    UserDesktop,
    UserStartMenu,
    UserPrograms,
    UserStartup,
    CommonQuickLaunch,
    CommonDesktop,
    CommonStartMenu,
    CommonPrograms,
    CommonStartup,
    MachineQuickLaunch,
    MachineDesktop,
    MachineStartMenu,
    MachinePrograms,
    MachineStartup,
    kLinkLocationCount
};

// Two MAX_PATH: a composed Quick Launch path can pass 259 characters.
const size_t kShellFolderPathSize = 520;

struct ShellFolderLocation {
    char path[kShellFolderPathSize];  // empty until first found
    uint8_t found;                    // 1 when the last lookup found it
};

// Bytes offered to the registry query for one value.
const uint32_t kShellFolderValueSize = 260;

// The registry's plain string type (REG_SZ); expandable strings do not count.
const uint32_t kRegistryStringType = 1;

// How much of an application-data value goes before the Quick Launch suffix;
// 0 marks a plain folder value, taken whole.
const size_t kUserQuickLaunchCut = 218;
const size_t kMachineQuickLaunchCut = 260;

extern const char kQuickLaunchSuffix[];  // "Microsoft\Internet Explorer\Quick Launch"

// One value to read: its name under the hive's key, the location it fills
// and its Quick Launch cut (0 for a plain folder).
struct ShellFolderValue {
    const char* valueName;
    LinkLocation location;
    size_t quickLaunchCut;
};

// Reading order under the current user's key and under the machine's key.
const size_t kUserShellFolderValueCount = 5;
const size_t kMachineShellFolderValueCount = 10;
extern const ShellFolderValue kUserShellFolderValues[kUserShellFolderValueCount];
extern const ShellFolderValue kMachineShellFolderValues[kMachineShellFolderValueCount];

// Applies what one registry query gave: `byteCount` bytes (at most
// kShellFolderValueSize are looked at) end the text, which is trimmed. Found
// only for a successful query of a plain string longer than one character
// after trimming, whose path fits. `found` is always written; `path` only when
// found.
void ApplyShellFolderValue(bool queried, uint32_t type, const char* bytes, uint32_t byteCount,
                           size_t quickLaunchCut, ShellFolderLocation& location);
