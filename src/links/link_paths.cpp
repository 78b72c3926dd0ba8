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
