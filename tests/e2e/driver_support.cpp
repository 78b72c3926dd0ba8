#include "driver_support.h"

#include <cstdio>
#include <cstring>

#include "tested_program.h"

const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const char kMutexName[] = "GlobalMutexHollowpineStudioTallyviewDozidodUder";
const char kTermsFileName[] = "TermsAccepted-Tallyview_DozidodUder.txt";
const char kTermsText[] =
    "The Terms and Conditions and Disclaimer for 'Tallyview-ZezedazUrod v1.4.0.0' have been "
    "accepted.";
const char kDataFolderName[] = "[hollowpinestudio]TallyviewData";
const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const int kReportListId = 1025;

const DWORD kShowTimeoutMs = 30000;
const DWORD kEndTimeoutMs = 30000;
const DWORD kPollMs = 20;
const DWORD kNotEnded = 0xFFFFFFFF;

// Wine's own overrides, read by every process it starts: a disabled program
// cannot start, so the shell's page and the link's desktop entry stay inside
// the prefix instead of reaching the desktop around it.
static const char kWineDllOverridesKey[] = "Software\\Wine\\DllOverrides";
static const char* const kQuietPrograms[] = {"winebrowser.exe", "winemenubuilder.exe"};

// ---------------------------------------------------------------------------
// Files and folders of the driver's own.

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
              written == bytes.size();
    return CloseHandle(file) && ok;
}

bool ReadBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char chunk[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof(chunk), &read, NULL) != FALSE) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string ThisComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof(name);
    if (!GetComputerNameA(name, &size))
        return std::string();
    return name;
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127 && c != '\\') {
            text += (char)c;
        } else {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\x%02X", c);
            text += escaped;
        }
        if (text.size() > 600) {
            text += "...";
            break;
        }
    }
    return "\"" + text + "\" (" + std::to_string(bytes.size()) + " bytes)";
}

// ---------------------------------------------------------------------------
// Windows of the program's process.

std::string WindowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

struct WindowSearch {
    DWORD processId;
    const char* caption;
    bool (*accept)(HWND);
    HWND found;
};

static BOOL CALLBACK MatchProgramWindow(HWND window, LPARAM parameter)
{
    WindowSearch* search = (WindowSearch*)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (WindowText(window) != search->caption)
        return TRUE;
    if (search->accept != NULL && !search->accept(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindProgramWindow(DWORD processId, const char* caption, bool (*accept)(HWND))
{
    WindowSearch search = {processId, caption, accept, NULL};
    EnumWindows(MatchProgramWindow, (LPARAM)&search);
    return search.found;
}

bool HasReportList(HWND window)
{
    return GetDlgItem(window, kReportListId) != NULL;
}

static bool RunsUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != NULL && GetProcAddress(ntdll, "wine_get_version") != NULL;
}

// The driver's environment with TEMP and TMP pointing at `tempFolder`.
static std::string ChildEnvironment(const std::string& tempFolder)
{
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; strings != NULL && *entry; entry += strlen(entry) + 1) {
        if (_strnicmp(entry, "TEMP=", 5) != 0 && _strnicmp(entry, "TMP=", 4) != 0)
            block.append(entry, strlen(entry) + 1);
    }
    if (strings != NULL)
        FreeEnvironmentStringsA(strings);
    block += "TEMP=" + tempFolder + '\0';
    block += "TMP=" + tempFolder + '\0';
    block += '\0';
    return block;
}

// ---------------------------------------------------------------------------

void ProgramRun::SetUp()
{
    ZeroMemory(&process, sizeof(process));
    ASSERT_FALSE(TestedProgramPath().empty()) << "run with --program=<tallyview.exe>";
    HANDLE otherCopy = OpenMutexA(SYNCHRONIZE, FALSE, kMutexName);
    if (otherCopy != NULL) {
        CloseHandle(otherCopy);
        FAIL() << "another copy of the program is running";
    }
    computerName = ThisComputerName();
    ASSERT_NE(computerName, "");

    static int folderNumber = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(temp), temp);
    ASSERT_TRUE(length > 0 && length < sizeof(temp));
    char name[64];
    snprintf(name, sizeof(name), "tallyview-e2e-%lu-%d", GetCurrentProcessId(), ++folderNumber);
    rootFolder = std::string(temp) + name;
    DeleteTree(rootFolder);
    ASSERT_TRUE(CreateDirectoryA(rootFolder.c_str(), NULL)) << rootFolder;
    workFolder = rootFolder + "\\work";
    // A space in the path, as in the classic "Application Data".
    appDataFolder = rootFolder + "\\Application Data";
    tempFolder = rootFolder + "\\temp";
    ASSERT_TRUE(CreateDirectoryA(workFolder.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(appDataFolder.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(tempFolder.c_str(), NULL));

    // Wine's shell rewrites "Shell Folders" from "User Shell Folders"
    // whenever it resolves a folder, so both must agree.
    ASSERT_NO_FATAL_FAILURE(ChangeUserValue(kShellFoldersKey, "AppData", REG_SZ, appDataFolder));
    ASSERT_NO_FATAL_FAILURE(
        ChangeUserValue(kUserShellFoldersKey, "AppData", REG_EXPAND_SZ, appDataFolder));
    if (RunsUnderWine()) {
        // An empty load order disables the program.
        for (const char* program : kQuietPrograms)
            ASSERT_NO_FATAL_FAILURE(ChangeUserValue(kWineDllOverridesKey, program, REG_SZ, ""));
    }
}

void ProgramRun::TearDown()
{
    EndProgram();
    RestoreUserValues();
    if (!rootFolder.empty())
        DeleteTree(rootFolder);
}

std::string ProgramRun::DataFolder() const
{
    return appDataFolder + "\\" + kDataFolderName;
}

std::string ProgramRun::SnapshotPath() const
{
    return DataFolder() + "\\" + computerName + ".txt";
}

void ProgramRun::ChangeUserValue(const char* keyPath, const char* name, DWORD type,
                                 const std::string& value)
{
    HKEY key = NULL;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, NULL, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key, &disposition),
              ERROR_SUCCESS)
        << keyPath;
    SavedValue saved = {keyPath, name, disposition == REG_CREATED_NEW_KEY, false, 0, {}};
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, NULL, &saved.type, NULL, &size);
    if (result == ERROR_SUCCESS) {
        saved.bytes.assign(size, 0);
        result = RegQueryValueExA(key, name, NULL, &saved.type,
                                  saved.bytes.empty() ? NULL : &saved.bytes[0], &size);
        saved.bytes.resize(size);
        saved.hadValue = true;
    } else if (result == ERROR_FILE_NOT_FOUND) {
        result = ERROR_SUCCESS;
    }
    if (result == ERROR_SUCCESS) {
        savedValues.push_back(saved);
        result = RegSetValueExA(key, name, 0, type, (const BYTE*)value.c_str(),
                                (DWORD)value.size() + 1);
    }
    RegCloseKey(key);
    ASSERT_EQ(result, ERROR_SUCCESS) << "could not set \"" << name << "\" under " << keyPath;
}

void ProgramRun::RestoreUserValues()
{
    // Newest first, so a key created here goes only after its last value.
    while (!savedValues.empty()) {
        const SavedValue& saved = savedValues.back();
        HKEY key = NULL;
        LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, saved.keyPath.c_str(), 0, KEY_SET_VALUE,
                                    &key);
        if (result == ERROR_SUCCESS) {
            if (saved.hadValue)
                result = RegSetValueExA(key, saved.name.c_str(), 0, saved.type,
                                        saved.bytes.empty() ? NULL : &saved.bytes[0],
                                        (DWORD)saved.bytes.size());
            else
                result = RegDeleteValueA(key, saved.name.c_str());
            RegCloseKey(key);
        }
        EXPECT_EQ(result, ERROR_SUCCESS)
            << "\"" << saved.name << "\" under " << saved.keyPath << " was not restored";
        if (saved.createdKey)
            RegDeleteKeyA(HKEY_CURRENT_USER, saved.keyPath.c_str());
        savedValues.pop_back();
    }
}

void ProgramRun::StartProgram(bool termsAccepted)
{
    ASSERT_EQ(process.hProcess, (HANDLE)NULL) << "the program is already running";
    if (termsAccepted) {
        ASSERT_TRUE(WriteBytes(workFolder + "\\" + kTermsFileName, kTermsText));
    }
    std::string commandLine = "\"" + TestedProgramPath() + "\"";
    std::string environment = ChildEnvironment(tempFolder);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, &environment[0],
                               workFolder.c_str(), &startup, &process))
        << "could not start " << TestedProgramPath() << ", error " << GetLastError();
}

HWND ProgramRun::WaitForWindow(const char* caption, bool (*accept)(HWND))
{
    ULONGLONG deadline = GetTickCount64() + kShowTimeoutMs;
    while (GetTickCount64() < deadline) {
        HWND window = FindProgramWindow(process.dwProcessId, caption, accept);
        // A dialog shows while it still initialises; a sent message is
        // handled only once the program waits for messages again.
        DWORD_PTR ignored = 0;
        if (window != NULL && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL,
                                                  kEndTimeoutMs, &ignored))
            return window;
        if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0)
            return NULL;
    }
    return NULL;
}

HWND ProgramRun::WaitForShownWindow()
{
    return WaitForWindow(kCaption, HasReportList);
}

bool ProgramRun::WaitUntilGone(HWND window)
{
    ULONGLONG deadline = GetTickCount64() + kEndTimeoutMs;
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

DWORD ProgramRun::WaitForEnd()
{
    DWORD code = kNotEnded;
    if (WaitForSingleObject(process.hProcess, kEndTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    EndProgram();
    return code;
}

std::string ProgramRun::EndState()
{
    DWORD code = 0;
    if (!GetExitCodeProcess(process.hProcess, &code) || code == STILL_ACTIVE)
        return "the program is still running";
    char text[64];
    snprintf(text, sizeof(text), "the program ended with code 0x%lX", code);
    return text;
}

void ProgramRun::EndProgram()
{
    if (process.hProcess == NULL)
        return;
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, kEndTimeoutMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ZeroMemory(&process, sizeof(process));
}

void ProgramRun::CloseAndExpectExitCodeOne(HWND window)
{
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForEnd(), 1u);
}

HWND MessageBoxTextControl(HWND box)
{
    for (int id : {0xFFFF, 100}) {
        HWND control = GetDlgItem(box, id);
        char className[32] = "";
        if (control != NULL && GetClassNameA(control, className, sizeof(className)) &&
            lstrcmpiA(className, "Static") == 0)
            return control;
    }
    return NULL;
}

bool IsMessageBox(HWND window)
{
    return MessageBoxTextControl(window) != NULL;
}
