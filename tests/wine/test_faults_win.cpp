// What only an in-process test can reach: memory refused at each allocation
// point of a start, a save and a refresh in turn (the report's heap and every
// operator new of the program count as one sequence of points), and a save
// whose replace is refused. Whatever fails, the snapshot on disk stays as it
// was, no temporary file is left, no block leaks and the user sees at most
// the one error box.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <utility>

#include "app/app_state_win.h"
#include "app/application_win.h"
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
const std::string kSnapshot = kData + "\\" + getenv("COMPUTERNAME") + ".txt", kNew = kData + "\\" + getenv("COMPUTERNAME") + ".new";
// Differs from this machine, so only a failed sweep can end a start-up silently.
const std::string kOldSnapshot = std::string("OTHER-PC\r\nCPU-B") + '\0';

// Allocation points of the program, counted from 1 while it runs (armed);
// point failAt is refused. The blocks it took then and has not given back.
static struct { bool armed; size_t calls, failAt, live; } heap;

// A refused point throws, as the standard operator new does: the program's
// nothrow requests see a null pointer, and a plain new it should not make
// ends the test with an uncaught exception.
void* operator new(size_t size)
{
    const bool counted = heap.armed;
    size_t* block = counted && ++heap.calls == heap.failAt ? nullptr : (size_t*)malloc(size + 16);
    if (block == nullptr) throw std::bad_alloc();
    heap.live += block[0] = counted;
    return block + 2;
}
void operator delete(void* p) noexcept { if (p != nullptr) heap.live -= ((size_t*)p)[-2], free((size_t*)p - 2); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }

static std::vector<std::string> boxes;  // text of every box answered
static int replaces = 0;
static bool tickBehindBox = false;  // the next box gets a timer tick behind it, failing the same way
const std::vector<std::string> kNoBox, kErrorBox{"ERROR: FAILED GetInformation(...)"};

// Answers every message box with OK; installed before main, on the thread that
// runs the tests. A box's text is static 0xFFFF on Windows, 100 under Wine.
static const HHOOK answerer = SetWindowsHookExA(WH_CBT, [](int code, WPARAM box, LPARAM lParam) -> LRESULT {
    char text[256] = "";
    if (code == HCBT_ACTIVATE && (GetDlgItemTextA((HWND)box, 0xFFFF, text, sizeof(text)) > 0 ||
                                  GetDlgItemTextA((HWND)box, 100, text, sizeof(text)) > 0)) {
        const bool program = std::exchange(heap.armed, false);  // the test's own allocations
        boxes.push_back(text);
        if ((heap.armed = program) && std::exchange(tickBehindBox, false))
            heap.calls = 0, appState.lastSweepTime = 0, SendMessageA(appState.mainWindow, WM_TIMER, kRefreshTimerId, 0);
        PostMessageA((HWND)box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, box, lParam);
}, NULL, GetCurrentThreadId());

// Takes the quit a failed render posts; true when there was one.
static bool QuitPosted() { MSG quit; return PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE; }

struct InjectedFaults : testing::Test {
    size_t decided = 0;  // points of the last start up to its decision
    bool quit = false;   // the last start's window posted the quit

    void SetUp() override
    {
        CreateDirectoryA(kData.c_str(), NULL);
        DeleteFileA(kNew.c_str());  // left by a failed run
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
        EXPECT_EQ(heap.live, 0u) << "a block of the program leaked";
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestUser);
        DeleteFileA(kSnapshot.c_str());
        RemoveDirectoryA(kData.c_str());
    }

    void EndProgram() { appState.saveOnExit = 0; ShutdownApplication(); }  // as it runs, without saving

    // Saves on the current heap: `asked` replaces asked for, the old snapshot kept and no temporary file left.
    void SaveKeepingOldSnapshot(int asked)
    {
        Armed([] { SaveSnapshot(); return true; });
        std::ifstream file(kSnapshot, std::ios::binary), left(kNew);
        EXPECT_EQ(replaces, asked);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), kOldSnapshot);
        EXPECT_FALSE(left.is_open()) << "a temporary file was left";
    }

    // From here on the points count from 1 and point `failAt` (0: none) is refused.
    void UseTestHeap(size_t failAt) { heap.calls = 0, heap.failAt = failAt, replaces = 0, boxes.clear(); }

    template <typename Step> bool Armed(Step step) { heap.armed = true; const bool result = step(); heap.armed = false; return result; }

    // Ends the program and starts it afresh, refusing point `failAt`: the
    // start decision, then the window when it is to show.
    HWND Restart(size_t failAt)
    {
        EndProgram();
        EXPECT_EQ(heap.live, 0u) << "a block of the program leaked";
        while (QuitPosted()) {}
        InitializeAppState(GetModuleHandleA(NULL));
        UseTestHeap(failAt);
        const bool show = Armed(ConfigurationToShow);
        decided = heap.calls;
        Armed([&] { return (appState.mainWindow = show ? CreateInformationWindow() : NULL) != NULL; });
        quit = QuitPosted();
        return appState.mainWindow;
    }

    // A timer tick after the 10-second rule, counting from point 1 and refusing `failAt`; false when it
    // failed, which must end the program: a hidden window would hold the single-instance mutex.
    bool Refresh(HWND window, size_t failAt)
    {
        UseTestHeap(failAt);
        appState.lastSweepTime = 0;
        tickBehindBox = true;
        Armed([&] { return SendMessageA(window, WM_TIMER, kRefreshTimerId, 0) == 0; });
        return tickBehindBox = false, !QuitPosted();
    }
};

TEST_F(InjectedFaults, AllocationRefusedAtAnyPointOfAStartASaveOrARefreshChangesNothing)
{
    // The points of each, with nothing refused; the save's replace is refused.
    const size_t decision = decided, start = heap.calls;
    UseTestHeap(0);
    SaveKeepingOldSnapshot(1);
    const size_t save = heap.calls;
    HWND window = appState.mainWindow;
    ASSERT_TRUE(window != NULL && Refresh(window, 0));
    const size_t refresh = heap.calls;
    ASSERT_GE(decision, 20u) << "a sweep has at least five rows of four points";
    ASSERT_GT(start, decision) << "the first render takes memory too";
    for (size_t n = 1; n <= std::max({start, save, refresh}) && !HasFailure(); ++n) {
        SCOPED_TRACE("allocation point " + std::to_string(n) + " of " + std::to_string(start) + ", " +
                     std::to_string(save) + " and " + std::to_string(refresh));
        // Start-up: up to the decision it ends without a word; in the first
        // render the error box and the end; the window never shows.
        if (n <= start) {
            window = Restart(n);
            EXPECT_FALSE(window != NULL && IsWindowVisible(window));
            EXPECT_EQ(boxes, n <= decision ? kNoBox : kErrorBox);
            EXPECT_EQ(window != NULL, n > decision);
            EXPECT_EQ(quit, n > decision) << "a failed first render must end the program";
        }
        // Save: nothing written, the old snapshot stays.
        UseTestHeap(n);
        if (n <= save) SaveKeepingOldSnapshot(0);
        // Refresh of a shown window: one error box, even with a tick behind it; the list kept.
        window = Restart(0);
        KillTimer(window, kRefreshTimerId);
        const int rows = ListView_GetItemCount(GetDlgItem(window, IDC_REPORT_LIST));
        ASSERT_GE(rows, 5) << "the refresh starts from a shown report";
        EXPECT_EQ(Refresh(window, n), n > refresh);
        EXPECT_EQ(boxes, n <= refresh ? kErrorBox : kNoBox);
        EXPECT_EQ(ListView_GetItemCount(GetDlgItem(window, IDC_REPORT_LIST)), rows);
    }
}
