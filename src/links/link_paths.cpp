#include "links/link_paths.h"

#include <cstring>

bool ComposeLinkPath(const char* folderPath, const char* linkFileName, char* linkPath,
                     size_t linkPathSize)
{
    if (linkPathSize == 0)
        return false;
    linkPath[0] = '\0';
    size_t folderLength = strlen(folderPath);
    if (folderLength == 0)
        return false;
    bool addBackslash = folderPath[folderLength - 1] != '\\';
    size_t nameLength = strlen(linkFileName);
    if (folderLength + (addBackslash ? 1 : 0) + nameLength >= linkPathSize)
        return false;
    memcpy(linkPath, folderPath, folderLength);
    if (addBackslash)
        linkPath[folderLength++] = '\\';
    memcpy(linkPath + folderLength, linkFileName, nameLength + 1);
    return true;
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
