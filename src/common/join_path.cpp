#include "common/join_path.h"

#include <cstring>

bool JoinPath(const char* folder, size_t folderLength, const char* name, char* out,
              size_t outSize)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    bool addBackslash = folderLength > 0 && folder[folderLength - 1] != '\\';
    size_t nameLength = strlen(name);
    if (folderLength + (addBackslash ? 1 : 0) + nameLength >= outSize)
        return false;
    memcpy(out, folder, folderLength);
    size_t length = folderLength;
    if (addBackslash)
        out[length++] = '\\';
    memcpy(out + length, name, nameLength + 1);
    return true;
}
