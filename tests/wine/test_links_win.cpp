// Shell folder lookup, shortcut files and the Links dialog against the real
// registry and real shell links. Every "Shell Folders" value the tests touch
// is put back afterwards; the folders live under the temporary folder.

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "links/links_dialog_win.h"
#include "links/shell_folders_win.h"
#include "links/shell_links_win.h"
#include "message_box_answerer.h"
#include "resource.h"
#include "wine_test_support.h"

namespace {

const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The shell copies these into "Shell Folders" whenever it resolves a folder
// (loading or writing a link does), so the tests point both at their folders.
const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char* const kKeys[] = {kUserShellFoldersKey, kShellFoldersKey};
const char kQuickLaunch[] = "\\Microsoft\\Internet Explorer\\Quick Launch";

// The fifteen locations in the dialog's order, each with its own folder.
struct TestLocation {
    HKEY hive;
    const char* valueName;
    LinkLocation location;
    int checkBoxId;
    const char* folderName;
    bool quickLaunch;
};

const TestLocation kLocations[] = {
    {HKEY_CURRENT_USER, "Desktop", UserDesktop, 1202, "UserDesktop", false},
    {HKEY_CURRENT_USER, "Start Menu", UserStartMenu, 1203, "UserStartMenu", false},
    {HKEY_CURRENT_USER, "Programs", UserPrograms, 1205, "UserPrograms", false},
    {HKEY_CURRENT_USER, "Startup", UserStartup, 1204, "UserStartup", false},
    {HKEY_CURRENT_USER, "AppData", UserQuickLaunch, 1218, "UserAppData", true},
    {HKEY_LOCAL_MACHINE, "Desktop", MachineDesktop, 1207, "MachineDesktop", false},
    {HKEY_LOCAL_MACHINE, "Start Menu", MachineStartMenu, 1208, "MachineStartMenu", false},
    {HKEY_LOCAL_MACHINE, "Programs", MachinePrograms, 1210, "MachinePrograms", false},
    {HKEY_LOCAL_MACHINE, "Startup", MachineStartup, 1209, "MachineStartup", false},
    {HKEY_LOCAL_MACHINE, "AppData", MachineQuickLaunch, 1216, "MachineAppData", true},
    {HKEY_LOCAL_MACHINE, "Common Desktop", CommonDesktop, 1211, "CommonDesktop", false},
    {HKEY_LOCAL_MACHINE, "Common Start Menu", CommonStartMenu, 1213, "CommonStartMenu", false},
    {HKEY_LOCAL_MACHINE, "Common Programs", CommonPrograms, 1214, "CommonPrograms", false},
    {HKEY_LOCAL_MACHINE, "Common Startup", CommonStartup, 1212, "CommonStartup", false},
    {HKEY_LOCAL_MACHINE, "Common AppData", CommonQuickLaunch, 1215, "CommonAppData", true},
};
const int kUserDesktop = 0, kUserStartMenu = 1, kUserStartup = 3, kMachineDesktop = 5,
          kCommonDesktop = 10, kCommonStartup = 13, kCommonQuickLaunch = 14;
const int kLocationCount = 15;

struct SavedValue {
    HKEY hive;
    const char* key;
    std::string name;
    bool present;
    DWORD type;
    std::string bytes;
};

std::string OwnPath()
{
    char path[MAX_PATH] = {0};
    GetModuleFileNameA(NULL, path, sizeof(path));
    return path;
}

void SetValue(HKEY hive, const char* name, DWORD type, const std::string& text,
              const char* keyPath = kShellFoldersKey)
{
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(hive, keyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
    RegCloseKey(key);
}

void DeleteValue(HKEY hive, const char* name)
{
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(hive, kShellFoldersKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// A shortcut written by the test itself, independent of the code under test.
void WriteLink(const std::string& linkPath, const std::string& target)
{
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, (void**)&link)));
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)));
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
    EXPECT_TRUE(SUCCEEDED(link->SetPath(target.c_str())));
    EXPECT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
    file->Release();
    link->Release();
}

struct LinkSettings {
    std::string target, workingDirectory, iconPath, description, arguments;
    int iconIndex;
};

LinkSettings ReadLink(const std::string& linkPath)
{
    LinkSettings settings = {"<unreadable>", "", "", "", "", -1};
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return settings;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
    char text[MAX_PATH];
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
        text[0] = '\0';
        link->GetPath(text, sizeof(text), NULL, 0);
        settings.target = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, sizeof(text));
        settings.workingDirectory = text;
        text[0] = '\0';
        link->GetIconLocation(text, sizeof(text), &settings.iconIndex);
        settings.iconPath = text;
        text[0] = '\0';
        link->GetDescription(text, sizeof(text));
        settings.description = text;
        text[0] = '\0';
        link->GetArguments(text, sizeof(text));
        settings.arguments = text;
    }
    if (file != NULL)
        file->Release();
    link->Release();
    return settings;
}

// The Links dialog, run modally and driven from a thread timer that fires
// inside its own message loop.
std::function<void(HWND)> dialogScript;

BOOL CALLBACK FindLinksDialog(HWND window, LPARAM found)
{
    if (GetDlgItem(window, IDC_PROCESS) == NULL)
        return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

void CALLBACK RunDialogScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindLinksDialog, (LPARAM)&dialog);
    ASSERT_NE(dialog, (HWND)NULL);
    dialogScript(dialog);
}

INT_PTR RunLinksDialog(std::function<void(HWND)> script)
{
    dialogScript = script;
    SetTimer(NULL, 0, 10, RunDialogScript);
    return DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_LINKS), NULL,
                           LinksDialogProc, 0);
}

// One letter per box, top to bottom: T enabled and ticked, E enabled and
// clear, D disabled and clear, X disabled but ticked.
std::string BoxStates(HWND dialog)
{
    std::string states;
    for (const TestLocation& location : kLocations) {
        bool enabled = IsWindowEnabled(GetDlgItem(dialog, location.checkBoxId));
        bool ticked = IsDlgButtonChecked(dialog, location.checkBoxId) == BST_CHECKED;
        states += enabled ? (ticked ? 'T' : 'E') : (ticked ? 'X' : 'D');
    }
    return states;
}

void SetBox(HWND dialog, int index, bool ticked)
{
    CheckDlgButton(dialog, kLocations[index].checkBoxId, ticked ? BST_CHECKED : BST_UNCHECKED);
}

class Links : public testing::Test {
protected:
    std::string root;
    std::string elsewhere;  // another copy of the program
    std::vector<SavedValue> saved;
    MessageBoxAnswerer answerer = {};

    std::string FolderOf(int index)
    {
        std::string folder = root + "\\" + kLocations[index].folderName;
        return kLocations[index].quickLaunch ? folder + kQuickLaunch : folder;
    }

    std::string LinkIn(int index) { return FolderOf(index) + "\\" + kLinkFileName; }

    void SetUp() override
    {
        InitializeAppState(GetModuleHandleA(NULL));
        snprintf(activeLinkFileName, sizeof(activeLinkFileName), "%s", kLinkFileName);
        CoInitialize(NULL);
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        root = std::string(temp) + "tallyview-links-test";
        RemoveTree(root);
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((root + "\\Elsewhere").c_str(), NULL));
        elsewhere = root + "\\Elsewhere\\tallyview.exe";
        WriteBytes(elsewhere, "MZ");

        for (const char* keyPath : kKeys)
            for (const TestLocation& location : kLocations) {
                HKEY key;
                ASSERT_EQ(RegCreateKeyExA(location.hive, keyPath, 0, NULL, 0, KEY_ALL_ACCESS,
                                          NULL, &key, NULL),
                          ERROR_SUCCESS);
                SavedValue value = {location.hive, keyPath, location.valueName, false,
                                    REG_NONE, ""};
                DWORD size = 0;
                value.present = RegQueryValueExA(key, location.valueName, NULL, &value.type,
                                                 NULL, &size) == ERROR_SUCCESS;
                value.bytes.resize(size);
                LONG read = ERROR_SUCCESS;
                if (value.present && size > 0)
                    read = RegQueryValueExA(key, location.valueName, NULL, NULL,
                                            (BYTE*)&value.bytes[0], &size);
                RegCloseKey(key);
                ASSERT_EQ(read, ERROR_SUCCESS) << location.valueName;
                saved.push_back(value);
            }
        for (int i = 0; i < kLocationCount; ++i)
            ASSERT_EQ(SHCreateDirectoryExA(NULL, FolderOf(i).c_str(), NULL), ERROR_SUCCESS);
        PointValuesAtTestFolders();
    }

    void PointValuesAtTestFolders()
    {
        for (const char* keyPath : kKeys)
            for (const TestLocation& location : kLocations)
                SetValue(location.hive, location.valueName, REG_SZ,
                         root + "\\" + location.folderName, keyPath);
    }

    void TearDown() override
    {
        StopAnsweringMessageBoxes(answerer);
        for (const SavedValue& value : saved) {
            HKEY key;
            if (RegOpenKeyExA(value.hive, value.key, 0, KEY_ALL_ACCESS, &key) !=
                ERROR_SUCCESS)
                continue;
            if (value.present)
                RegSetValueExA(key, value.name.c_str(), 0, value.type,
                               (const BYTE*)value.bytes.data(), (DWORD)value.bytes.size());
            else
                RegDeleteValueA(key, value.name.c_str());
            RegCloseKey(key);
        }
        RemoveTree(root);
        CoUninitialize();
    }
};

TEST_F(Links, LookupFillsEveryLocationFromItsOwnValue)
{
    ReadShellFolderLocations();
    for (int i = 0; i < kLocationCount; ++i) {
        const ShellFolderLocation& location = shellFolderLocations[kLocations[i].location];
        EXPECT_EQ(location.found, 1) << kLocations[i].folderName;
        EXPECT_EQ(std::string(location.path), FolderOf(i)) << kLocations[i].folderName;
    }
    // Expandable strings do not count; the earlier path stays.
    SetValue(HKEY_LOCAL_MACHINE, "Desktop", REG_EXPAND_SZ, FolderOf(kMachineDesktop));
    ReadShellFolderLocations();
    EXPECT_EQ(shellFolderLocations[MachineDesktop].found, 0);
    EXPECT_EQ(std::string(shellFolderLocations[MachineDesktop].path), FolderOf(kMachineDesktop));
}

TEST_F(Links, CreatedLinkCarriesExactlyTheFourSettings)
{
    StartAnsweringMessageBoxes(answerer, {IDNO});
    std::string own = OwnPath();
    // Written afresh, then again over a link that already points here.
    for (int round = 0; round < 2; ++round) {
        CreateLinkInFolder(NULL, FolderOf(kUserDesktop).c_str());
        LinkSettings settings = ReadLink(LinkIn(kUserDesktop));
        EXPECT_EQ(settings.target, own);
        EXPECT_EQ(settings.workingDirectory, own.substr(0, own.rfind('\\')));
        EXPECT_EQ(settings.iconPath, own);
        EXPECT_EQ(settings.iconIndex, 0);
        EXPECT_EQ(settings.description, "Tallyview-ZezedazUrod v1.4.0.0");
        EXPECT_EQ(settings.arguments, "");
        EXPECT_TRUE(LinkPointsToThisProgram(LinkIn(kUserDesktop).c_str()));
    }
    EXPECT_TRUE(answerer.seen.empty());
}

TEST_F(Links, LinkToElsewhereIsReplacedOnlyAfterYes)
{
    std::string own = OwnPath();
    std::string otherCase = own;
    for (char& c : otherCase)
        c = (char)toupper((unsigned char)c);
    ASSERT_NE(otherCase, own);
    for (const std::string& target : {elsewhere, otherCase}) {
        std::string linkPath = LinkIn(kUserDesktop);
        WriteLink(linkPath, target);
        std::string written = ReadLink(linkPath).target;
        ASSERT_NE(written, own) << target;
        EXPECT_FALSE(LinkPointsToThisProgram(linkPath.c_str())) << target;
        std::string before = ReadBytes(linkPath);
        std::string question = "The link '" + linkPath + "' already exists. It links to '" +
                               written + "'.\n\nOverwrite?";

        StartAnsweringMessageBoxes(answerer, {IDNO});
        CreateLinkInFolder(NULL, FolderOf(kUserDesktop).c_str());
        StopAnsweringMessageBoxes(answerer);
        ASSERT_EQ(answerer.seen.size(), 1u) << target;
        EXPECT_EQ(answerer.seen[0].text, question);
        EXPECT_EQ(answerer.seen[0].caption, "Tallyview-ZezedazUrod v1.4.0.0");
        EXPECT_EQ(answerer.seen[0].style, (UINT)(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(answerer.seen[0].owner, (HWND)NULL);
        EXPECT_EQ(ReadBytes(linkPath), before) << "No must leave the link untouched";

        StartAnsweringMessageBoxes(answerer, {IDYES});
        CreateLinkInFolder(NULL, FolderOf(kUserDesktop).c_str());
        StopAnsweringMessageBoxes(answerer);
        EXPECT_EQ(answerer.seen.size(), 1u);
        EXPECT_EQ(ReadLink(linkPath).target, own) << target;
    }
}

TEST_F(Links, FileThatIsNoLinkIsReplacedWithoutAQuestion)
{
    for (const char* bytes : {"", "not a shell link"}) {
        WriteBytes(LinkIn(kUserDesktop), bytes);
        EXPECT_FALSE(IsLoadableShellLink(LinkIn(kUserDesktop).c_str()));
        StartAnsweringMessageBoxes(answerer, {IDNO});
        CreateLinkInFolder(NULL, FolderOf(kUserDesktop).c_str());
        StopAnsweringMessageBoxes(answerer);
        EXPECT_TRUE(answerer.seen.empty()) << "\"" << bytes << "\"";
        EXPECT_EQ(ReadLink(LinkIn(kUserDesktop)).target, OwnPath());
    }
}

TEST_F(Links, MissingFolderWarnsOnCreateAndIsLeftAloneOnDelete)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    std::string missing = root + "\\Missing";
    StartAnsweringMessageBoxes(answerer, {IDOK});
    CreateLinkInFolder(owner, missing.c_str());
    DeleteLinkInFolder(owner, missing.c_str());
    StopAnsweringMessageBoxes(answerer);
    DestroyWindow(owner);

    ASSERT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(answerer.seen[0].text,
              "'" + missing + "' is not a valid directory name. [Create Link]");
    EXPECT_EQ(answerer.seen[0].owner, owner);
    EXPECT_EQ(answerer.seen[0].style, (UINT)(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(answerer.seen[1].text, "Error creating link.");
    EXPECT_EQ(answerer.seen[1].owner, (HWND)NULL);
    EXPECT_EQ(answerer.seen[1].style, (UINT)(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(Exists(missing));
}

TEST_F(Links, DialogOpensWithBoxesForWhatIsThere)
{
    WriteLink(LinkIn(kUserDesktop), OwnPath());
    WriteLink(LinkIn(kUserStartMenu), elsewhere);
    WriteLink(LinkIn(kCommonQuickLaunch), OwnPath());
    // Odd values go where the shell keeps no copy of its own.
    SetValue(HKEY_LOCAL_MACHINE, "Desktop", REG_SZ, root + "\\Missing");
    SetValue(HKEY_LOCAL_MACHINE, "Start Menu", REG_SZ, " x\n");
    DeleteValue(HKEY_LOCAL_MACHINE, "Programs");
    DeleteValue(HKEY_LOCAL_MACHINE, "AppData");
    // An existing folder whose link path would pass MAX_PATH: refused, not cut.
    std::string deep = root + "\\" + std::string(120, 'd') + "\\" + std::string(80, 'e');
    ASSERT_EQ(SHCreateDirectoryExA(NULL, deep.c_str(), NULL), ERROR_SUCCESS);
    ASSERT_GT(deep.size() + 1 + strlen(kLinkFileName), (size_t)MAX_PATH - 1);
    SetValue(HKEY_LOCAL_MACHINE, "Startup", REG_SZ, deep);

    std::string states, version;
    INT_PTR result = RunLinksDialog([&](HWND dialog) {
        states = BoxStates(dialog);
        char text[64] = {0};
        GetDlgItemTextA(dialog, IDC_LINKS_VERSION, text, sizeof(text));
        version = text;
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(states, "TEEEEDDDDDEEEET");
    EXPECT_EQ(version, "Tallyview-ZezedazUrod v1.4.0.0");
    EXPECT_EQ(std::string(activeLinkFileName), kLinkFileName);
}

TEST_F(Links, ProcessingWithEveryBoxClearDeletesEveryLink)
{
    WriteLink(LinkIn(kUserDesktop), OwnPath());
    WriteLink(LinkIn(kUserStartMenu), elsewhere);
    WriteBytes(LinkIn(kCommonDesktop), "not a shell link");
    WriteLink(LinkIn(kCommonQuickLaunch), OwnPath());

    std::string after;
    HWND links = NULL;
    RunLinksDialog([&](HWND dialog) {
        links = dialog;
        for (int i = 0; i < kLocationCount; ++i)
            SetBox(dialog, i, false);
        StartAnsweringMessageBoxes(answerer, {IDYES, IDOK});
        SendMessageA(dialog, WM_COMMAND, IDC_PROCESS, 0);
        after = BoxStates(dialog);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    for (int i = 0; i < kLocationCount; ++i)
        EXPECT_FALSE(Exists(LinkIn(i))) << kLocations[i].folderName;
    EXPECT_EQ(after, std::string(kLocationCount, 'E'));
    ASSERT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(answerer.seen[0].text, "Process the specified links?");
    EXPECT_EQ(answerer.seen[0].style, (UINT)(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(answerer.seen[1].text, "Links Processing complete.");
    EXPECT_EQ(answerer.seen[1].style, (UINT)(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(answerer.seen[0].owner, links);
    EXPECT_EQ(answerer.seen[1].owner, links);
}

TEST_F(Links, DeclinedOverwriteLeavesThatLinkAndItsBoxClear)
{
    WriteLink(LinkIn(kUserDesktop), OwnPath());
    WriteLink(LinkIn(kUserStartMenu), elsewhere);
    WriteLink(LinkIn(kCommonDesktop), elsewhere);
    std::string before = ReadBytes(LinkIn(kUserStartMenu));

    std::string after;
    RunLinksDialog([&](HWND dialog) {
        SetBox(dialog, kUserStartMenu, true);
        SetBox(dialog, kUserStartup, true);
        StartAnsweringMessageBoxes(answerer, {IDYES, IDNO, IDOK});
        SendMessageA(dialog, WM_COMMAND, IDC_PROCESS, 0);
        after = BoxStates(dialog);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(answerer.seen.size(), 3u);
    EXPECT_EQ(answerer.seen[1].text, "The link '" + LinkIn(kUserStartMenu) +
                                         "' already exists. It links to '" + elsewhere +
                                         "'.\n\nOverwrite?");
    EXPECT_EQ(answerer.seen[2].text, "Links Processing complete.");
    EXPECT_EQ(ReadBytes(LinkIn(kUserStartMenu)), before);
    // The locations after the declined one were still processed.
    EXPECT_EQ(ReadLink(LinkIn(kUserStartup)).target, OwnPath());
    EXPECT_FALSE(Exists(LinkIn(kCommonDesktop)));
    EXPECT_TRUE(Exists(LinkIn(kUserDesktop)));
    EXPECT_EQ(after, "TEETEEEEEEEEEEE");
}

TEST_F(Links, ClosingTheDialogTouchesNoFile)
{
    WriteLink(LinkIn(kUserDesktop), OwnPath());
    WriteLink(LinkIn(kUserStartMenu), elsewhere);
    std::string desktop = ReadBytes(LinkIn(kUserDesktop));
    std::string startMenu = ReadBytes(LinkIn(kUserStartMenu));

    const std::function<void(HWND)> closers[] = {
        [](HWND dialog) { PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); },
        [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); },
    };
    StartAnsweringMessageBoxes(answerer, {IDYES});
    for (const std::function<void(HWND)>& close : closers) {
        INT_PTR result = RunLinksDialog([&](HWND dialog) {
            SetBox(dialog, kUserDesktop, false);
            SetBox(dialog, kUserStartMenu, true);
            SetBox(dialog, kCommonStartup, true);
            close(dialog);
        });
        EXPECT_EQ(result, 0);
    }
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(ReadBytes(LinkIn(kUserDesktop)), desktop);
    EXPECT_EQ(ReadBytes(LinkIn(kUserStartMenu)), startMenu);
    EXPECT_FALSE(Exists(LinkIn(kCommonStartup)));
}

}  // namespace
