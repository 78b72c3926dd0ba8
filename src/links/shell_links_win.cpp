#include "links/shell_links_win.h"

#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "app/app_state_win.h"
#include "common/start_com_win.h"
#include "links/link_paths.h"

char activeLinkFileName[kActiveLinkFileNameSize];

// The two interfaces of one shell link object; either may be missing.
struct ShellLinkObject {
    IShellLinkA* link;
    IPersistFile* file;
};

// IPersistFile first, as it was obtained from the link.
static void ReleaseShellLink(ShellLinkObject& object)
{
    if (object.file != NULL)
        object.file->Release();
    if (object.link != NULL)
        object.link->Release();
    object.file = NULL;
    object.link = NULL;
}

static bool CreateShellLink(ShellLinkObject& object)
{
    object.link = NULL;
    object.file = NULL;
    // COM starts with the first shortcut, which the first-run offer may
    // reach before the window exists.
    StartCom();
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&object.link))) {
        object.link = NULL;
        return false;
    }
    if (FAILED(object.link->QueryInterface(IID_IPersistFile, (void**)&object.file))) {
        object.file = NULL;
        ReleaseShellLink(object);
        return false;
    }
    return true;
}

static bool ToWidePath(const char* path, WCHAR* wide, int wideSize)
{
    return MultiByteToWideChar(CP_ACP, 0, path, -1, wide, wideSize) != 0;
}

// Opens an existing link file; on success the caller releases the object.
static bool LoadShellLink(const char* linkPath, ShellLinkObject& object)
{
    object.link = NULL;
    object.file = NULL;
    char folder[kLinkPathSize];
    if (strlen(linkPath) >= sizeof(folder))
        return false;
    strcpy(folder, linkPath);
    PathRemoveFileSpecA(folder);
    if (!PathIsDirectoryA(folder))
        return false;

    HANDLE handle = CreateFileA(linkPath, 0, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);

    WCHAR widePath[kLinkPathSize];
    if (!ToWidePath(linkPath, widePath, kLinkPathSize) || !CreateShellLink(object))
        return false;
    if (FAILED(object.file->Load(widePath, STGM_READ))) {
        ReleaseShellLink(object);
        return false;
    }
    return true;
}

static bool GetLinkTarget(IShellLinkA* link, char* target, size_t targetSize)
{
    target[0] = '\0';
    bool read = SUCCEEDED(link->GetPath(target, (int)targetSize, NULL, 0));
    target[targetSize - 1] = '\0';
    return read;
}

bool IsLoadableShellLink(const char* linkPath)
{
    ShellLinkObject object;
    if (!LoadShellLink(linkPath, object))
        return false;
    ReleaseShellLink(object);
    return true;
}

bool ReadLinkTarget(const char* linkPath, char* target, size_t targetSize)
{
    if (targetSize == 0)
        return false;
    target[0] = '\0';
    ShellLinkObject object;
    if (!LoadShellLink(linkPath, object))
        return false;
    bool read = GetLinkTarget(object.link, target, targetSize);
    ReleaseShellLink(object);
    return read;
}

// False rather than a cut path when the program path fills the buffer.
static bool GetOwnProgramPath(char* path, DWORD pathSize)
{
    DWORD length = GetModuleFileNameA(GetModuleHandleA(NULL), path, pathSize);
    if (length == 0 || length >= pathSize) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool LinkPointsToThisProgram(const char* linkPath)
{
    char ownPath[kLinkPathSize];
    char target[kLinkPathSize];
    if (!GetOwnProgramPath(ownPath, sizeof(ownPath)) ||
        !ReadLinkTarget(linkPath, target, sizeof(target)))
        return false;
    return strcmp(target, ownPath) == 0;
}

static void ShowLinkError()
{
    MessageBoxA(NULL, "Error creating link.", appState.caption, MB_ICONWARNING);
}

// Only a plain Yes lets an existing link to elsewhere be replaced.
static bool MayOverwrite(const char* linkPath, const char* ownPath)
{
    if (!IsLoadableShellLink(linkPath))
        return true;
    char target[kLinkPathSize];
    if (!ReadLinkTarget(linkPath, target, sizeof(target)))
        target[0] = '\0';
    if (strcmp(target, ownPath) == 0)
        return true;
    char question[2 * kLinkPathSize + 64];
    snprintf(question, sizeof(question),
             "The link '%s' already exists. It links to '%s'.\n\nOverwrite?", linkPath, target);
    return MessageBoxA(NULL, question, appState.caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The four settings, then the save; stops at the first failing call.
static bool WriteShellLink(const char* linkPath, const char* ownPath,
                           const char* workingDirectory)
{
    WCHAR widePath[kLinkPathSize];
    if (!ToWidePath(linkPath, widePath, kLinkPathSize))
        return false;
    ShellLinkObject object;
    if (!CreateShellLink(object))
        return false;
    bool written = SUCCEEDED(object.link->SetPath(ownPath)) &&
                   SUCCEEDED(object.link->SetWorkingDirectory(workingDirectory)) &&
                   SUCCEEDED(object.link->SetIconLocation(ownPath, 0)) &&
                   SUCCEEDED(object.link->SetDescription(appState.caption)) &&
                   SUCCEEDED(object.file->Save(widePath, TRUE));
    ReleaseShellLink(object);
    return written;
}

void CreateLinkInFolder(HWND owner, const char* folderPath)
{
    if (folderPath[0] == '\0')
        return;
    if (!PathIsDirectoryA(folderPath)) {
        char warning[kLinkPathSize + 64];
        snprintf(warning, sizeof(warning), "'%s' is not a valid directory name. [Create Link]",
                 folderPath);
        MessageBoxA(owner, warning, appState.caption, MB_ICONWARNING);
    }
    char linkPath[kLinkPathSize];
    char ownPath[kLinkPathSize];
    char workingDirectory[kLinkPathSize];
    // A path that does not fit is refused: writing a cut one would put the
    // shortcut somewhere else.
    if (!ComposeLinkPath(folderPath, activeLinkFileName, linkPath, sizeof(linkPath)) ||
        !GetOwnProgramPath(ownPath, sizeof(ownPath)) ||
        !DeriveWorkingDirectory(ownPath, workingDirectory, sizeof(workingDirectory))) {
        ShowLinkError();
        return;
    }
    if (!MayOverwrite(linkPath, ownPath))
        return;
    if (!WriteShellLink(linkPath, ownPath, workingDirectory))
        ShowLinkError();
}

void DeleteLinkInFolder(HWND, const char* folderPath)
{
    if (folderPath[0] == '\0' || !PathIsDirectoryA(folderPath))
        return;
    // Folders beyond MAX_PATH characters are refused rather than cut.
    char linkPath[kLinkPathSize];
    if (strlen(folderPath) > MAX_PATH ||
        !ComposeLinkPath(folderPath, activeLinkFileName, linkPath, sizeof(linkPath)))
        return;
    DeleteFileA(linkPath);
}
