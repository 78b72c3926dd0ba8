#pragma once

// What the end-to-end driver needs from Windows: files, the registry with an
// undo list, the program's windows and another process's list view.

#include <windows.h>

#include <string>
#include <vector>

struct Row {
    std::string label;
    std::string value;
    int image;
};

// The tested tallyview.exe, from --program=<path> (a Unix path becomes Z:\).
extern std::string programPath;

const DWORD kWaitMs = 30000;  // hang guard only: a start under Wine takes a second or two

bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string& bytes);
bool Exists(const std::string& path);
void DeleteTree(const std::string& folder);
std::string Text(HWND window);

// Sets (or with `remove`, deletes) a registry value until RestoreRegistry.
bool SetRegistryValue(HKEY hive, const char* key, const char* name, DWORD type,
                      const std::string& value, bool remove = false);
void RestoreRegistry();

// A visible top-level window of the process with exactly this caption: a
// message box when `box`, any other window otherwise. NULL when none.
HWND FindProcessWindow(DWORD processId, const std::string& caption, bool box);
// The text control of a message box: static 0xFFFF on Windows, 100 under Wine.
HWND BoxText(HWND box);
// True once the window's thread has handled everything sent before.
bool Responds(HWND window);

bool ReadListView(HWND list, std::vector<Row>& rows, std::string& failure);

// Target, working folder, icon and description of a shortcut file.
bool ReadShortcut(const std::string& path, std::string settings[4]);
bool WriteShortcut(const std::string& path, const std::string& target);

