#pragma once

#include <windows.h>

// Opens a web address through a small local page in the temporary folder
// ("TEMP", else "TMP"), overwritten at every call; when the page cannot be
// written, opens the address itself.
void OpenReferrerPage(const char* address);

// Every shell launch of the options subsystem goes through this pointer
// (ShellExecuteA), so that tests can record the launches instead of starting
// a browser or Explorer.
typedef HINSTANCE(WINAPI* ShellExecuteFunction)(HWND window, LPCSTR verb, LPCSTR file,
                                                LPCSTR parameters, LPCSTR directory, INT show);
extern ShellExecuteFunction optionsShellExecute;
