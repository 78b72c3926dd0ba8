// What only an in-process test can reach: the report's heap refusing each
// allocation point of a sweep in turn, in each of the sweep's three callers,
// and a save whose replace is refused. Whatever fails, the snapshot on disk
// stays as it was, no temporary file is left and no block leaks.

#include <gtest/gtest.h>

#include <fstream>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "failing_allocator.h"
#include "resource.h"
#include "store/snapshot_store_win.h"
#include "window/information_window_win.h"
#include "window/render_win.h"

// Stands in for HKEY_CURRENT_USER in this process, so that not even a crashed
// run changes the real "AppData" folder.
const char kTestUser[] = "Software\\TallyviewFaultTests";
const char kShellKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The program's data folder and snapshot, with TEMP as its "AppData" folder.
const std::string kTemp = getenv("TEMP"), kData = kTemp + "\\[hollowpinestudio]TallyviewData";
const std::string kSnapshot = kData + "\\" + getenv("COMPUTERNAME") + ".txt";
// Differs from this machine, so only a failed sweep can end a start-up silently.
const std::string kOldSnapshot = std::string("OTHER-PC\r\nCPU-B") + '\0';

static std::vector<std::string> boxes;  // text of every box answered
static int replaces = 0;

// Answers every message box with OK; installed before main, on the thread that
// runs the tests. A box's text is static 0xFFFF on Windows, 100 under Wine.
static const HHOOK answerer = SetWindowsHookExA(WH_CBT, [](int code, WPARAM box, LPARAM lParam) -> LRESULT {
    char text[256] = "";
    if (code == HCBT_ACTIVATE && (GetDlgItemTextA((HWND)box, 0xFFFF, text, sizeof(text)) > 0 ||
                                  GetDlgItemTextA((HWND)box, 100, text, sizeof(text)) > 0)) {
        boxes.push_back(text);
        PostMessageA((HWND)box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, box, lParam);
}, NULL, GetCurrentThreadId());

struct InjectedFaults : testing::Test {
    FailingHeap heap = FailingHeap();
    ReportAllocator allocator = FailingAllocator(heap);

    void SetUp() override
    {
        CreateDirectoryA(kData.c_str(), NULL);
        DeleteFileA((kSnapshot + ".new").c_str());  // left by a failed run
        std::ofstream(kSnapshot, std::ios::binary) << kOldSnapshot;
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kTestUser, &key), 0);
        RegSetKeyValueA(key, kShellKey, "AppData", REG_SZ, kTemp.c_str(), (DWORD)kTemp.size() + 1);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, key), 0);
        RegCloseKey(key);
        // Every replace is counted and refused.
        snapshotSaveSteps.replaceSnapshot = [](const char*, const char*) { return ++replaces < 0; };
        // The start-up's sweep, on a heap that refuses nothing, counts the points.
        Restart(0);
    }

    void TearDown() override
    {
        EndProgram();
        EXPECT_EQ(heap.liveBlocks + heap.badReleases, 0u) << "a block of the last sweep leaked";
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestUser);
        DeleteFileA(kSnapshot.c_str());
        RemoveDirectoryA(kData.c_str());
    }

    void EndProgram() { appState.saveOnExit = 0; ShutdownApplication(); }  // as it runs, without saving

    // Saves on the current heap: `asked` replaces asked for, the old snapshot kept and no temporary file left.
    void SaveKeepingOldSnapshot(int asked)
    {
        SaveSnapshot();
        std::ifstream file(kSnapshot, std::ios::binary), left(kSnapshot + ".new");
        EXPECT_EQ(replaces, asked);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), kOldSnapshot);
        EXPECT_FALSE(left.is_open()) << "a temporary file was left";
    }

    // From here on the report's blocks come from a fresh test heap, which
    // refuses allocation point `failAt` (0: none). The old blocks go back first.
    void UseTestHeap(size_t failAt)
    {
        FreeReport(appState.report);
        EXPECT_EQ(heap.liveBlocks + heap.badReleases, 0u) << "a block of the last sweep leaked";
        heap = FailingHeap();
        heap.failAt = failAt;
        appState.report.allocator = &allocator;
        boxes.clear();
        replaces = 0;
    }

    // Ends the program and starts it afresh: the start decision sweeps on a
    // test heap that refuses point `failAt`; the window, when it is to show.
    HWND Restart(size_t failAt)
    {
        EndProgram();
        InitializeAppState(GetModuleHandleA(NULL));
        UseTestHeap(failAt);
        return appState.mainWindow = ConfigurationToShow() ? CreateInformationWindow() : NULL;
    }
};

TEST_F(InjectedFaults, SweepFailingAtAnyAllocationPointChangesNothingInAnyCaller)
{
    const size_t points = heap.calls;  // of the start-up's sweep in SetUp
    ASSERT_GE(points, 20u) << "a sweep has at least five rows of four points";
    for (size_t n = 1; n <= points && !HasFailure(); ++n) {
        SCOPED_TRACE("allocation point " + std::to_string(n) + " of " + std::to_string(points));
        // Start-up: ends without a word and without making the window.
        HWND window = Restart(n);
        EXPECT_EQ(window, nullptr);
        EXPECT_EQ(appState.saveOnExit, 0);
        EXPECT_EQ(boxes, std::vector<std::string>());
        // Save: nothing written, the old snapshot stays.
        UseTestHeap(n);
        SaveKeepingOldSnapshot(0);
        // Refresh of a shown window after the 10-second rule: one error box, the list kept.
        window = Restart(0);
        KillTimer(window, kRefreshTimerId);
        const int rows = ListView_GetItemCount(GetDlgItem(window, IDC_REPORT_LIST));
        ASSERT_GE(rows, 5) << "the refresh starts from a shown report";
        UseTestHeap(n);
        appState.lastSweepTime = 0;
        EXPECT_FALSE(RenderReport(window, false));
        EXPECT_EQ(boxes, std::vector<std::string>{"ERROR: FAILED GetInformation(...)"});
        EXPECT_EQ(ListView_GetItemCount(GetDlgItem(window, IDC_REPORT_LIST)), rows);
    }
}

TEST_F(InjectedFaults, RefusedReplaceKeepsTheOldSnapshotAndRemovesTheTemporaryFile)
{
    SaveKeepingOldSnapshot(1);
}
