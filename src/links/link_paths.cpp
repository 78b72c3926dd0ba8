#include "links/link_paths.h"

#include <cstring>

#include "common/join_path.h"

bool ComposeLinkPath(const char* folderPath, const char* linkFileName, char* linkPath,
                     size_t linkPathSize)
{
    if (linkPathSize > 0)
        linkPath[0] = '\0';
    size_t folderLength = strlen(folderPath);
    if (folderLength == 0)
        return false;
    return JoinPath(folderPath, folderLength, linkFileName, linkPath, linkPathSize);
}

bool DeriveWorkingDirectory(const char* programPath, char* workingDirectory,
                            size_t workingDirectorySize)
{
    if (workingDirectorySize == 0)
        return false;
    workingDirectory[0] = '\0';
    const char* lastBackslash = strrchr(programPath, '\\');
    if (lastBackslash == nullptr)
        return true;
    size_t length = (size_t)(lastBackslash - programPath);
    if (length >= workingDirectorySize)
        return false;
    memcpy(workingDirectory, programPath, length);
    workingDirectory[length] = '\0';
    return true;
}

static bool SameText(const char* a, const char* b)
{
    return strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
}

LinkFileState ClassifyShortcut(const LinkSettings& found, const LinkSettings& wanted)
{
    if (!SameText(found.target, wanted.target))
        return LinkElsewhere;
    const bool exact = SameText(found.workingDirectory, wanted.workingDirectory) &&
                       SameText(found.iconPath, wanted.iconPath) &&
                       found.iconIndex == wanted.iconIndex &&
                       SameText(found.description, wanted.description);
    return exact ? LinkExact : LinkToProgram;
}

bool LinkBoxUsable(bool folderUsable, LinkFileState state)
{
    return folderUsable && state != LinkUnreadable;
}

bool LinkBoxTicked(LinkFileState state)
{
    return state == LinkToProgram || state == LinkExact;
}

LinkAction PlanLinkAction(bool ticked, LinkFileState state)
{
    switch (state) {
    case LinkAbsent:
        return ticked ? WriteLink : LeaveLink;
    case LinkUnreadable:
        return LeaveLink;
    case LinkElsewhere:
        return ticked ? AskThenWriteLink : DeleteLink;
    case LinkExact:
        return ticked ? LeaveLink : DeleteLink;
    case LinkNotAShortcut:
    case LinkToProgram:
        break;
    }
    return ticked ? WriteLink : DeleteLink;
}
