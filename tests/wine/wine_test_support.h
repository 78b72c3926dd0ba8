#pragma once

#include <windows.h>

#include <string>

#include "tested_program.h"

std::string ReadBytes(const std::string& path);  // "<absent>" when unreadable
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
void RemoveTree(const std::string& path);

// Points the user's "AppData" shell folder at a fresh, empty folder under the
// temporary folder for one test, and puts the old value back afterwards.
struct ScopedAppData {
    std::string folder;
    bool hadValue;
    DWORD savedType;
    std::string savedValue;
};

bool UseFreshAppData(ScopedAppData& scoped, const char* name);
void RestoreAppData(ScopedAppData& scoped);
void SetAppDataValue(DWORD type, const std::string& value);
void DeleteAppDataValue();

// Takes every message waiting for this thread, dispatching all but WM_QUIT;
// true when WM_QUIT was among them.
bool DrainQueueForQuit();
