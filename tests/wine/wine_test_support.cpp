#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

static const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return "<absent>";
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == NULL) {
        ADD_FAILURE() << "cannot write " << path;
        return;
    }
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool UseFreshAppData(ScopedAppData& scoped, const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    scoped.folder = std::string(temp) + name;
    RemoveTree(scoped.folder);
    if (!CreateDirectoryA(scoped.folder.c_str(), NULL))
        return false;

    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return false;
    char value[1024];
    DWORD size = sizeof(value);
    scoped.hadValue = RegQueryValueExA(key, "AppData", NULL, &scoped.savedType, (BYTE*)value,
                                       &size) == ERROR_SUCCESS;
    if (scoped.hadValue)
        scoped.savedValue.assign(value, size);
    RegCloseKey(key);
    SetAppDataValue(REG_SZ, scoped.folder);
    return true;
}

void RestoreAppData(ScopedAppData& scoped)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
        if (scoped.hadValue)
            RegSetValueExA(key, "AppData", 0, scoped.savedType,
                           (const BYTE*)scoped.savedValue.data(), (DWORD)scoped.savedValue.size());
        else
            RegDeleteValueA(key, "AppData");
        RegCloseKey(key);
    }
    RemoveTree(scoped.folder);
}

void SetAppDataValue(DWORD type, const std::string& value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open the shell folders key";
        return;
    }
    RegSetValueExA(key, "AppData", 0, type, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
}

void DeleteAppDataValue()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "AppData");
    RegCloseKey(key);
}

bool DrainQueueForQuit()
{
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quit = true;
        else
            DispatchMessageA(&message);
    }
    return quit;
}
