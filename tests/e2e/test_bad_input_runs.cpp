// Whole runs of the built program against bad input from outside: a damaged,
// locked or misplaced snapshot file, a broken "AppData" value, a strange
// disclaimer marker and unusable TEMP and TMP values. Each case must end the
// run (or show the window) in time, with exit code 1, and keep what must be
// kept.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver_support.h"

static const char kPageFileName[] =
    "Tallyview-ZezedazUrod v1.4.0.0 - Internet Referrering Page.htm";
static const char kOptionsCaption[] =
    "Tallyview-ZezedazUrod v1.4.0.0 - Options - HOLLOWPINESTUDIO";
static const char kDisclaimerStart[] = "LEGAL DISCLAIMER: ";
static const char kVisitQuestionStart[] = "Visit the Tallyview Internet & Forum Site?";
static const int kBarButtonId = 1020;
static const int kVisitButtonId = 1016;
static const WORD kExitCommand = 40001;

// ---------------------------------------------------------------------------
// Files of the driver's own.

static std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// True when some file or folder below `folder` has a name containing `part`.
static bool TreeHoldsName(const std::string& folder, const std::string& part, std::string& found)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool holds = false;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (name.find(part) != std::string::npos) {
            found = path;
            holds = true;
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            holds = TreeHoldsName(path, part, found);
        }
    } while (!holds && FindNextFileA(search, &entry));
    FindClose(search);
    return holds;
}

static bool CanOpenForWriting(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Tests run as root here, which writes through FILE_ATTRIBUTE_READONLY, so
// under Wine the file is also made immutable on the Unix side. The Unix
// program's process is not ours to wait for: poll for its effect instead.
static bool SetUnixImmutable(const std::string& path, bool immutable)
{
    typedef char*(CDECL * UnixFileName)(LPCWSTR);
    UnixFileName unixFileName = (UnixFileName)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (unixFileName == NULL)
        return true;  // Windows: the attribute alone holds
    WCHAR widePath[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH * 2))
        return false;
    char* unixPath = unixFileName(widePath);
    if (unixPath == NULL)
        return false;
    std::string commandLine = std::string("chattr ") + (immutable ? "+i" : "-i") + " \"" +
                              unixPath + "\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof(started));
    if (!CreateProcessA("Z:\\usr\\bin\\chattr", &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                        NULL, &startup, &started))
        return false;
    if (started.hProcess != NULL) {
        WaitForSingleObject(started.hProcess, kEndTimeoutMs);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    ULONGLONG deadline = GetTickCount64() + kEndTimeoutMs;
    while (CanOpenForWriting(path) == immutable) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

// ---------------------------------------------------------------------------

class BadInputRun : public ProgramRun {
protected:
    void TearDown() override
    {
        if (!lockedPath.empty()) {
            EXPECT_TRUE(SetUnixImmutable(lockedPath, false)) << lockedPath;
            SetFileAttributesA(lockedPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        ProgramRun::TearDown();
    }

    // Waits for the program's next message box, which must start with
    // `start`, presses `button` and waits for the box to go.
    void AnswerBox(const char* start, int button)
    {
        HWND box = WaitForWindow(kCaption, IsMessageBox);
        ASSERT_NE(box, (HWND)NULL) << "no box showed; " << EndState();
        std::string text = WindowText(MessageBoxTextControl(box));
        ASSERT_EQ(text.compare(0, strlen(start), start), 0) << Printable(text);
        HWND pressed = GetDlgItem(box, button);
        ASSERT_NE(pressed, (HWND)NULL) << "no button " << button;
        ASSERT_TRUE(PostMessageA(pressed, BM_CLICK, 0, 0));
        ASSERT_TRUE(WaitUntilGone(box)) << "the box stayed after button " << button;
    }

    // A start that must show the window; closing it must end the run with 1.
    void StartShowAndClose()
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        HWND window = WaitForShownWindow();
        ASSERT_NE(window, (HWND)NULL) << "the window did not show; " << EndState();
        ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
    }

    // A first start on this computer, closed at once: leaves the snapshot.
    void RunFirstStart(std::string& saved)
    {
        ASSERT_NO_FATAL_FAILURE(StartShowAndClose());
        ASSERT_TRUE(ReadBytes(SnapshotPath(), saved)) << "no snapshot after the first start";
        ASSERT_FALSE(saved.empty());
    }

    // The immutable flag is cleared again in TearDown, even after a failure.
    void MakeReadOnly(const std::string& path)
    {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        lockedPath = path;
        ASSERT_TRUE(SetUnixImmutable(path, true)) << "could not make " << path << " read-only";
    }

    std::string lockedPath;
};

// ---------------------------------------------------------------------------
// The snapshot file replaced by bad bytes after a first start.

struct SnapshotCase {
    const char* name;
    // The bytes to store, made from the first start's snapshot.
    std::string (*bytes)(const std::string& saved);
    // False when the bytes still read as the saved record text.
    bool shown;
};

static std::string GarbageBytes(const std::string&)
{
    // Fixed pseudo-random bytes: NULs, lone CRs and LFs, bytes above 127.
    std::string garbage;
    unsigned int state = 4711;
    for (int i = 0; i < 5000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += (char)(state >> 16);
    }
    return garbage;
}

static std::string NulMidLineBytes(const std::string& saved)
{
    // Inside the first line, the computer name, which has at least one
    // character.
    std::string bytes = saved;
    bytes.insert(1, 1, '\0');
    return bytes;
}

static std::string CrOnlyBytes(const std::string& saved)
{
    return ReplaceAll(saved, "\r\n", "\r");
}

static std::string LfOnlyBytes(const std::string& saved)
{
    return ReplaceAll(saved, "\r\n", "\n");
}

static std::string MegabyteLineBytes(const std::string&)
{
    return std::string(1024 * 1024, 'y');
}

static std::string HundredThousandLinesBytes(const std::string&)
{
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "\r\n";
    return bytes;
}

static const SnapshotCase kSnapshotCases[] = {
    {"Garbage", GarbageBytes, true},
    {"NulMidLine", NulMidLineBytes, true},
    {"CrOnlyLineEnds", CrOnlyBytes, true},
    // Read in text mode, lone line feeds give back the same lines.
    {"LfOnlyLineEnds", LfOnlyBytes, false},
    {"OneMegabyteLine", MegabyteLineBytes, true},
    {"HundredThousandLines", HundredThousandLinesBytes, true},
};

class BadInputSnapshotRun : public BadInputRun,
                            public testing::WithParamInterface<SnapshotCase> {
};

TEST_P(BadInputSnapshotRun, DecidesTheWindowAndLeavesAFreshSnapshot)
{
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(saved));
    const std::string bad = GetParam().bytes(saved);
    ASSERT_NE(bad, saved);
    ASSERT_TRUE(WriteBytes(SnapshotPath(), bad));

    ASSERT_NO_FATAL_FAILURE(StartProgram());
    HWND window = WaitForShownWindow();
    std::string after;
    if (GetParam().shown) {
        ASSERT_NE(window, (HWND)NULL) << "the window did not show; " << EndState();
        ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
        ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
        // Nothing changed on this computer meanwhile.
        EXPECT_EQ(after, saved) << Printable(after);
    } else {
        EXPECT_EQ(window, (HWND)NULL) << "the window showed although nothing changed";
        if (window != NULL)
            PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForEnd(), 1u);
        ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
        EXPECT_EQ(after, bad) << "an unchanged start rewrote the file: " << Printable(after);
    }
}

INSTANTIATE_TEST_SUITE_P(BadInput, BadInputSnapshotRun, testing::ValuesIn(kSnapshotCases),
                         [](const testing::TestParamInfo<SnapshotCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(BadInputRun, FolderInPlaceOfTheSnapshotIsShownAndKept)
{
    ASSERT_TRUE(CreateDirectoryA(DataFolder().c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(SnapshotPath().c_str(), NULL));
    ASSERT_NO_FATAL_FAILURE(StartShowAndClose());
    EXPECT_TRUE(FolderExists(SnapshotPath())) << "the folder went";
}

TEST_F(BadInputRun, ReadOnlySnapshotIsShownAtEveryStartAndKept)
{
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(saved));
    // A stale line, so that any rewrite shows in the bytes.
    const std::string kept = "STALE-LINE\r\n" + saved;
    ASSERT_TRUE(WriteBytes(SnapshotPath(), kept));
    ASSERT_NO_FATAL_FAILURE(MakeReadOnly(SnapshotPath()));

    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        ASSERT_NO_FATAL_FAILURE(StartShowAndClose());
        std::string after;
        ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
        EXPECT_EQ(after, kept) << Printable(after);
        EXPECT_FALSE(FileExists(SnapshotPath() + ".new")) << "a half-saved file was left";
    }
}

TEST_F(BadInputRun, SnapshotHeldOpenByAnotherProcessIsShownAndKept)
{
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(saved));
    const std::string kept = "STALE-LINE\r\n" + saved;
    ASSERT_TRUE(WriteBytes(SnapshotPath(), kept));

    HANDLE held = CreateFileA(SnapshotPath().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << GetLastError();
    StartShowAndClose();
    CloseHandle(held);

    std::string after;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
    EXPECT_EQ(after, kept) << Printable(after);
    EXPECT_FALSE(FileExists(SnapshotPath() + ".new")) << "a half-saved file was left";
}

// ---------------------------------------------------------------------------
// "AppData" values that name no usable folder.

struct AppDataCase {
    const char* name;
    bool present;
    DWORD type;
    // Appended to the test's root folder; null for an empty value.
    const char* underRoot;
    // Padded with letters to this many characters, when not 0.
    size_t length;
};

static const AppDataCase kAppDataCases[] = {
    {"Missing", false, REG_SZ, "\\Application Data", 0},
    {"Empty", true, REG_SZ, NULL, 0},
    {"ExpandString", true, REG_EXPAND_SZ, "\\Application Data", 0},
    {"ThreeHundredCharacters", true, REG_SZ, "\\", 300},
    {"ParentMissing", true, REG_SZ, "\\nowhere\\Application Data", 0},
};

class BadInputAppDataRun : public BadInputRun, public testing::WithParamInterface<AppDataCase> {
};

TEST_P(BadInputAppDataRun, ShowsTheWindowAndCreatesNoDataFolder)
{
    const AppDataCase& appData = GetParam();
    std::string value = appData.underRoot == NULL ? "" : rootFolder + appData.underRoot;
    if (appData.length > 0) {
        ASSERT_LT(value.size(), appData.length);
        value += std::string(appData.length - value.size(), 'a');
    }
    // Set even when it is to go, so that TearDown puts it back.
    ASSERT_NO_FATAL_FAILURE(ChangeUserValue(kShellFoldersKey, "AppData", appData.type, value));
    if (!appData.present) {
        HKEY key = NULL;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_SET_VALUE, &key),
                  ERROR_SUCCESS);
        LONG result = RegDeleteValueA(key, "AppData");
        RegCloseKey(key);
        ASSERT_EQ(result, ERROR_SUCCESS);
    }

    ASSERT_NO_FATAL_FAILURE(StartShowAndClose());
    std::string found;
    EXPECT_FALSE(TreeHoldsName(rootFolder, kDataFolderName, found)) << found;
    EXPECT_FALSE(TreeHoldsName(rootFolder, "BLEUGH", found)) << found;
    EXPECT_FALSE(FolderExists(rootFolder + "\\nowhere"));
}

INSTANTIATE_TEST_SUITE_P(BadInput, BadInputAppDataRun, testing::ValuesIn(kAppDataCases),
                         [](const testing::TestParamInfo<AppDataCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// Disclaimer markers that do not hold the acceptance sentence.

struct MarkerCase {
    const char* name;
    bool folder;
    std::string bytes;
};

static const MarkerCase kMarkerCases[] = {
    {"Folder", true, ""},
    {"EmptyFile", false, ""},
    {"BinaryBytes", false, std::string("\x00\xFF\x01\r\x7F\x80\n\xFE\x00\x1A", 10)},
    {"FiveMegabytes", false, std::string(5 * 1024 * 1024, 'x')},
};

class BadInputMarkerRun : public BadInputRun, public testing::WithParamInterface<MarkerCase> {
};

TEST_P(BadInputMarkerRun, AsksForTheDisclaimerAndKeepsTheMarkerOnNo)
{
    const MarkerCase& marker = GetParam();
    const std::string path = workFolder + "\\" + kTermsFileName;
    if (marker.folder)
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), NULL));
    else
        ASSERT_TRUE(WriteBytes(path, marker.bytes));

    ASSERT_NO_FATAL_FAILURE(StartProgram(false));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kDisclaimerStart, IDNO));
    EXPECT_EQ(WaitForEnd(), 1u);

    if (marker.folder) {
        EXPECT_TRUE(FolderExists(path)) << "the folder went";
    } else {
        std::string after;
        ASSERT_TRUE(ReadBytes(path, after)) << "the marker went";
        EXPECT_TRUE(after == marker.bytes) << Printable(after);
    }
    EXPECT_FALSE(FolderExists(DataFolder()));
}

INSTANTIATE_TEST_SUITE_P(BadInput, BadInputMarkerRun, testing::ValuesIn(kMarkerCases),
                         [](const testing::TestParamInfo<MarkerCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// TEMP and TMP that leave no place for the referrer page.

struct TempCase {
    const char* name;
    // Returns the TEMP value and the places where no page may appear.
    std::string (*prepare)(const std::string& validTemp, const std::string& workFolder,
                           std::vector<std::string>& noPageIn);
};

static std::string BothEmpty(const std::string& validTemp, const std::string& workFolder,
                             std::vector<std::string>& noPageIn)
{
    noPageIn = {validTemp, workFolder, workFolder.substr(0, 2)};
    return "";
}

static std::string LongTmp(const std::string& validTemp, const std::string& workFolder,
                           std::vector<std::string>& noPageIn)
{
    noPageIn = {validTemp, workFolder};
    // The driver gives TEMP and TMP the same text; a NUL inside it ends
    // TEMP's entry and starts a TMP entry, found before the driver's own.
    std::string longTmp = validTemp + "\\" + std::string(400 - validTemp.size() - 1, 'b');
    return validTemp + std::string(1, '\0') + "TMP=" + longTmp;
}

static std::string InsideAFile(const std::string& validTemp, const std::string& workFolder,
                               std::vector<std::string>& noPageIn)
{
    noPageIn = {validTemp, workFolder};
    WriteBytes(validTemp + "\\file.txt", "kept");
    return validTemp + "\\file.txt\\sub";
}

static const TempCase kTempCases[] = {
    {"BothEmpty", BothEmpty},
    {"TmpOf400Characters", LongTmp},
    {"TempInsideAFile", InsideAFile},
};

class BadInputTempRun : public BadInputRun, public testing::WithParamInterface<TempCase> {
};

TEST_P(BadInputTempRun, VisitWritesNoPageAndTheProgramStillResponds)
{
    const std::string validTemp = tempFolder;
    std::vector<std::string> noPageIn;
    tempFolder = GetParam().prepare(validTemp, workFolder, noPageIn);
    for (const std::string& folder : noPageIn)
        ASSERT_FALSE(FileExists(folder + "\\" + kPageFileName)) << "left over in " << folder;

    ASSERT_NO_FATAL_FAILURE(StartProgram());
    HWND window = WaitForShownWindow();
    ASSERT_NE(window, (HWND)NULL) << "the window did not show; " << EndState();
    ASSERT_TRUE(PostMessageA(GetDlgItem(window, kBarButtonId), BM_CLICK, 0, 0));
    HWND options = WaitForWindow(kOptionsCaption, NULL);
    ASSERT_NE(options, (HWND)NULL) << "the Options dialog did not open; " << EndState();
    ASSERT_TRUE(PostMessageA(GetDlgItem(options, kVisitButtonId), BM_CLICK, 0, 0));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kVisitQuestionStart, IDYES));

    // Answered only once the visit is handled.
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(SendMessageTimeoutA(options, WM_NULL, 0, 0, SMTO_NORMAL, kEndTimeoutMs, &ignored))
        << "the Options dialog stopped responding; " << EndState();
    EXPECT_TRUE(IsWindowVisible(options)) << "the Options dialog went";
    for (const std::string& folder : noPageIn)
        EXPECT_FALSE(FileExists(folder + "\\" + kPageFileName)) << "a page in " << folder;
    std::string kept;
    if (ReadBytes(validTemp + "\\file.txt", kept)) {
        EXPECT_EQ(kept, "kept");
    }

    ASSERT_TRUE(PostMessageA(options, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0));
    EXPECT_EQ(WaitForEnd(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BadInput, BadInputTempRun, testing::ValuesIn(kTempCases),
                         [](const testing::TestParamInfo<TempCase>& info) {
                             return std::string(info.param.name);
                         });
