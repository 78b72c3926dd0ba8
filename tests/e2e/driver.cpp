#include "driver.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

std::string programPath;

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) && written == bytes.size();
    return CloseHandle(file) && ok;
}

bool ReadBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    char chunk[65536];
    DWORD read = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof(chunk), &read, NULL) && read > 0)
        bytes.append(chunk, read);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string path = folder + "\\" + found.cFileName;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.cFileName[0] != '.' && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteTree(path);
        else if (found.cFileName[0] != '.')
            DeleteFileA(path.c_str());
    }
    FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

// Asked of the window itself: another process's controls keep their text
// where GetWindowText does not look.
std::string Text(HWND window)
{
    char text[4096] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &length);
    return std::string(text, length < sizeof(text) ? length : 0);
}

// ---------------------------------------------------------------------------
// Registry values put back by RestoreRegistry, newest first.

struct SavedValue {
    HKEY hive;
    std::string key, name;
    bool existed;
    DWORD type;
    std::string bytes;
};
static std::vector<SavedValue> savedValues;

bool SetRegistryValue(HKEY hive, const char* key, const char* name, DWORD type, const std::string& value, bool remove)
{
    SavedValue saved = {hive, key, name, false, 0, std::string(4096, '\0')};
    DWORD size = (DWORD)saved.bytes.size();
    saved.existed = !RegGetValueA(hive, key, name, RRF_RT_ANY | RRF_NOEXPAND, &saved.type, &saved.bytes[0], &size);
    saved.bytes.resize(saved.existed ? size : 0);
    savedValues.push_back(saved);
    LONG result = remove ? RegDeleteKeyValueA(hive, key, name)
                         : RegSetKeyValueA(hive, key, name, type, value.c_str(), (DWORD)value.size() + 1);
    return result == ERROR_SUCCESS || (remove && result == ERROR_FILE_NOT_FOUND);
}

void RestoreRegistry()
{
    for (; !savedValues.empty(); savedValues.pop_back()) {
        const SavedValue& v = savedValues.back();
        if (v.existed)
            RegSetKeyValueA(v.hive, v.key.c_str(), v.name.c_str(), v.type, v.bytes.data(), (DWORD)v.bytes.size());
        else
            RegDeleteKeyValueA(v.hive, v.key.c_str(), v.name.c_str());
    }
}

// ---------------------------------------------------------------------------
// Windows of the program.

HWND BoxText(HWND box)
{
    for (int id : {0xFFFF, 100}) {
        char className[32] = "";
        HWND control = GetDlgItem(box, id);
        if (GetClassNameA(control, className, sizeof(className)) && !lstrcmpiA(className, "Static")) return control;
    }
    return NULL;
}

HWND FindProcessWindow(DWORD processId, const std::string& caption, bool box)
{
    for (HWND window = GetTopWindow(NULL); window != NULL; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window) && Text(window) == caption &&
            (BoxText(window) != NULL) == box)
            return window;
    }
    return NULL;
}

bool Responds(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &ignored) != 0;
}

// Another process's list view: the item record and its text buffer live in
// memory allocated in that process.
bool ReadListView(HWND list, std::vector<Row>& rows, std::string& failure)
{
    const int kCapacity = 131072;  // a "MISSING" row may carry 127999 characters
    rows.clear();
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    char* remote = (char*)VirtualAllocEx(process, NULL, sizeof(LVITEMA) + kCapacity, MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR count = 0;
    bool ok = remote && SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kWaitMs, &count);
    std::string text(kCapacity, '\0');
    for (int index = 0; ok && index < (int)count * 2; ++index) {
        // Column 0 with its image, then column 1 of each row.
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index / 2;
        item.iSubItem = index % 2;
        item.pszText = remote + sizeof(LVITEMA);
        item.cchTextMax = kCapacity;
        DWORD_PTR result = 0;
        SIZE_T read = 0;
        ok = WriteProcessMemory(process, remote, &item, sizeof(item), NULL) &&
             SendMessageTimeoutA(list, LVM_GETITEMA, 0, (LPARAM)remote, SMTO_NORMAL, kWaitMs, &result) &&
             ReadProcessMemory(process, remote, &item, sizeof(item), NULL) &&
             ReadProcessMemory(process, item.pszText, &text[0], 4096, &read);
        // The list view may point the record at its own copy of the text.
        if (ok && text.find('\0') >= read) ok = ReadProcessMemory(process, item.pszText, &text[0], kCapacity, &read);
        if (index % 2 == 0)
            rows.push_back(Row{text.c_str(), "", item.iImage});
        else
            rows.back().value = text.c_str();
    }
    if (!ok) failure = "reading the list view failed, error " + std::to_string(GetLastError());
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

// ---------------------------------------------------------------------------
// Shortcut files, through the shell's own link object.

static bool Shortcut(const std::string& path, bool save, std::string settings[4])
{
    WCHAR widePath[MAX_PATH * 2];
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    char texts[4][MAX_PATH * 2] = {"", "", "", ""};
    int icon = -1;
    bool ok = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH * 2) &&
              SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file));
    if (save)
        ok = ok && SUCCEEDED(link->SetPath(settings[0].c_str())) && SUCCEEDED(file->Save(widePath, TRUE));
    else
        ok = ok && SUCCEEDED(file->Load(widePath, STGM_READ)) &&
             SUCCEEDED(link->GetPath(texts[0], MAX_PATH * 2, NULL, 0)) &&
             SUCCEEDED(link->GetWorkingDirectory(texts[1], MAX_PATH * 2)) &&
             SUCCEEDED(link->GetIconLocation(texts[2], MAX_PATH * 2, &icon)) &&
             SUCCEEDED(link->GetDescription(texts[3], MAX_PATH * 2));
    if (file != NULL) file->Release();
    if (link != NULL) link->Release();
    for (int i = 0; i < 4 && !save; ++i)
        settings[i] = texts[i] + (i == 2 ? "," + std::to_string(icon) : "");
    return ok;
}

bool ReadShortcut(const std::string& path, std::string settings[4])
{
    return Shortcut(path, false, settings);
}

bool WriteShortcut(const std::string& path, const std::string& target)
{
    std::string settings[4] = {target};
    return Shortcut(path, true, settings);
}

// ---------------------------------------------------------------------------
