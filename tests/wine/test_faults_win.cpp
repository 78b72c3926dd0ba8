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
#include "snapshot/sweep_win.h"
#include "store/snapshot_store_win.h"
#include "window/information_window_win.h"
#include "window/render_win.h"

namespace {

// Stands in for HKEY_CURRENT_USER in this process, so that not even a crashed
// run changes the real "AppData" folder.
const char kTestUser[] = "Software\\TallyviewFaultTests";
const char kShellKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Differs from this machine, so only a failed sweep can end a start-up silently.
const std::string kOldSnapshot = std::string("OTHER-PC\r\nCPU-B") + '\0';

std::vector<std::string> boxes;  // text of every box answered
int replaces = 0;

// Answers every message box with OK. Its text is static 0xFFFF on Windows, 100 under Wine.
LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam)
{
    char text[256] = "";
    if (code == HCBT_ACTIVATE && (GetDlgItemTextA((HWND)wParam, 0xFFFF, text, sizeof(text)) > 0 ||
                                  GetDlgItemTextA((HWND)wParam, 100, text, sizeof(text)) > 0)) {
        boxes.push_back(text);
        PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
// Installed before main, on the thread that runs the tests.
const HHOOK answerer = SetWindowsHookExA(WH_CBT, AnswerBox, NULL, GetCurrentThreadId());

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<absent>";
}

class InjectedFaults : public testing::Test {
protected:
    FailingHeap heap = FailingHeap();
    ReportAllocator allocator = FailingAllocator(heap);
    size_t points = 0;
    std::string data, snapshot;

    void SetUp() override
    {
        const std::string temp = getenv("TEMP");
        data = temp + "\\[hollowpinestudio]TallyviewData";
        snapshot = data + "\\" + getenv("COMPUTERNAME") + ".txt";
        CreateDirectoryA(data.c_str(), NULL);
        DeleteFileA((snapshot + ".new").c_str());  // left by a failed run
        std::ofstream(snapshot, std::ios::binary) << kOldSnapshot;
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kTestUser, &key), 0);
        RegSetKeyValueA(key, kShellKey, "AppData", REG_SZ, temp.c_str(), (DWORD)temp.size() + 1);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, key), 0);
        RegCloseKey(key);
        // Every replace is counted and refused.
        snapshotSaveSteps.replaceSnapshot = [](const char*, const char*) { return ++replaces < 0; };
        // The start-up's sweep, on a heap that refuses nothing, counts the points.
        Restart(0);
        points = heap.calls;
        ASSERT_GE(points, 20u) << "a sweep has at least five rows of four points";
    }

    void TearDown() override
    {
        appState.saveOnExit = 0;
        ShutdownApplication();
        EXPECT_EQ(heap.liveBlocks + heap.badReleases, 0u) << "a block of the last sweep leaked";
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestUser);
        DeleteFileA(snapshot.c_str());
        RemoveDirectoryA(data.c_str());
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

    // Ends the program as it runs, without saving, and starts it afresh: the
    // window's start-up sweeps on a test heap that refuses point `failAt`.
    HWND Restart(size_t failAt)
    {
        appState.saveOnExit = 0;
        ShutdownApplication();
        InitializeAppState(GetModuleHandleA(NULL));
        UseTestHeap(failAt);
        return appState.mainWindow = CreateDialogParamA(appState.instanceHandle,
                   MAKEINTRESOURCEA(IDD_INFORMATION), NULL, InformationWindowProc, 0);
    }
};

TEST_F(InjectedFaults, SweepFailingAtAnyAllocationPointChangesNothingInAnyCaller)
{
    for (size_t n = 1; n <= points && !HasFailure(); ++n) {
        SCOPED_TRACE("allocation point " + std::to_string(n) + " of " + std::to_string(points));
        // Start-up: ends without a word and without ever showing the window.
        HWND window = Restart(n);
        MSG quit;
        EXPECT_TRUE(PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(appState.saveOnExit, 0);
        EXPECT_EQ(boxes, std::vector<std::string>());
        // Save: nothing written, the old snapshot stays.
        UseTestHeap(n);
        SaveSnapshot();
        EXPECT_EQ(replaces, 0);
        EXPECT_EQ(ReadBytes(snapshot), kOldSnapshot);
        EXPECT_EQ(ReadBytes(snapshot + ".new"), "<absent>");
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
    SaveSnapshot();
    EXPECT_EQ(replaces, 1);
    EXPECT_EQ(ReadBytes(snapshot), kOldSnapshot);
    EXPECT_EQ(ReadBytes(snapshot + ".new"), "<absent>");
}

}  // namespace
