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
    StartCom(appState.comInitialized);
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

// Whether the file's bytes can be had: not when another program holds it
// (antivirus, an indexer), when it is online only and cannot be fetched, or
// when the account may not read it.
static bool FileReads(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char first;
    DWORD got = 0;
    bool read = ReadFile(file, &first, 1, &got, NULL) != FALSE;
    CloseHandle(file);
    return read;
}

LinkFileState ReadLinkFileState(const char* linkPath)
{
    DWORD attributes = GetFileAttributesA(linkPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LinkAbsent
                                                                               : LinkUnreadable;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !FileReads(linkPath))
        return LinkUnreadable;
    ShellLinkObject object;
    if (!LoadShellLink(linkPath, object))
        return LinkNotAShortcut;

    char target[kLinkPathSize];
    char workingDirectory[kLinkPathSize];
    char iconPath[kLinkPathSize];
    char description[kLinkPathSize];
    int iconIndex = -1;
    char ownPath[kLinkPathSize];
    char ownFolder[kLinkPathSize];
    bool read = GetLinkTarget(object.link, target, sizeof(target)) &&
                SUCCEEDED(object.link->GetWorkingDirectory(workingDirectory, sizeof(workingDirectory))) &&
                SUCCEEDED(object.link->GetIconLocation(iconPath, sizeof(iconPath), &iconIndex)) &&
                SUCCEEDED(object.link->GetDescription(description, sizeof(description)));
    ReleaseShellLink(object);
    if (!read || !GetOwnProgramPath(ownPath, sizeof(ownPath)) ||
        !DeriveWorkingDirectory(ownPath, ownFolder, sizeof(ownFolder)))
        return read ? LinkElsewhere : LinkNotAShortcut;
    const LinkSettings found = {target, workingDirectory, iconPath, iconIndex, description};
    const LinkSettings wanted = {ownPath, ownFolder, ownPath, 0, appState.caption};
    return ClassifyShortcut(found, wanted);
}

static void ShowLinkError()
{
    MessageBoxA(NULL, "Error creating link.", appState.caption, MB_ICONWARNING);
}

// Only a plain Yes lets an existing link to elsewhere be replaced.
static bool MayOverwrite(const char* linkPath)
{
    char target[kLinkPathSize];
    if (!ReadLinkTarget(linkPath, target, sizeof(target)))
        target[0] = '\0';
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
    LinkAction action = PlanLinkAction(true, ReadLinkFileState(linkPath));
    if (action == LeaveLink || (action == AskThenWriteLink && !MayOverwrite(linkPath)))
        return;
    if (!WriteShellLink(linkPath, ownPath, workingDirectory))
        ShowLinkError();
}

void DeleteLinkInFolder(HWND owner, const char* folderPath)
{
    if (folderPath[0] == '\0' || !PathIsDirectoryA(folderPath))
        return;
    // Folders beyond MAX_PATH characters are refused rather than cut.
    char linkPath[kLinkPathSize];
    if (strlen(folderPath) > MAX_PATH ||
        !ComposeLinkPath(folderPath, activeLinkFileName, linkPath, sizeof(linkPath)))
        return;
    if (PlanLinkAction(false, ReadLinkFileState(linkPath)) != DeleteLink)
        return;
    // Looked at again, as a delete may be refused only when the file is
    // closed (Wine reports success then); a file whose delete is pending
    // counts as gone.
    if (DeleteFileA(linkPath) && GetFileAttributesA(linkPath) == INVALID_FILE_ATTRIBUTES)
        return;
    // An all-users folder without administrator rights, or one that
    // Controlled Folder Access guards: the shortcut is still there.
    char warning[kLinkPathSize + 64];
    snprintf(warning, sizeof(warning), "Error deleting link in '%s'.", folderPath);
    MessageBoxA(owner, warning, appState.caption, MB_ICONWARNING);
}
