// Faults seen from the whole program: the report's heap refusing any one
// allocation of a sweep, and a save whose file steps fail. Whatever fails,
// the snapshot on disk stays as it was and nothing leaks.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "failing_allocator.h"
#include "message_box_answerer.h"
#include "resource.h"
#include "snapshot/sweep_win.h"
#include "store/snapshot_file.h"
#include "store/snapshot_store_win.h"
#include "wine_test_support.h"
#include "window/information_window_win.h"
#include "window/render_win.h"

namespace {

// A snapshot that differs from this machine, so a good sweep counts as a
// change and only a failed one can end the start-up silently.
const std::string kOldSnapshot = std::string("OTHER-PC\r\nCPU-B") + '\0';
const char kOldStoredText[] = "OTHER-PC\nCPU-B";

int writeCalls = 0;
int replaceCalls = 0;

bool CountedWrite(const char* path, const char* bytes, size_t size)
{
    ++writeCalls;
    return WriteWholeFile(path, bytes, size);
}

// A disk that fills up half-way through the temporary file.
bool WriteHalfThenFail(const char* path, const char* bytes, size_t size)
{
    ++writeCalls;
    WriteWholeFile(path, bytes, size / 2);
    return false;
}

bool CountedReplace(const char* newPath, const char* filePath)
{
    ++replaceCalls;
    return ReplaceSnapshot(newPath, filePath);
}

bool RefusedReplace(const char*, const char*)
{
    ++replaceCalls;
    return false;
}

// Label, value and icon of every list row.
std::vector<std::string> ListRows(HWND list)
{
    std::vector<std::string> rows;
    int count = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int item = 0; item < count; ++item) {
        char label[512] = {0};
        char value[512] = {0};
        LVITEMA lvItem;
        ZeroMemory(&lvItem, sizeof(lvItem));
        lvItem.mask = LVIF_TEXT | LVIF_IMAGE;
        lvItem.iItem = item;
        lvItem.pszText = label;
        lvItem.cchTextMax = sizeof(label);
        SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&lvItem);
        int image = lvItem.iImage;
        lvItem.mask = LVIF_TEXT;
        lvItem.iSubItem = 1;
        lvItem.pszText = value;
        lvItem.cchTextMax = sizeof(value);
        SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&lvItem);
        rows.push_back(std::string(label) + " | " + value + " | " + std::to_string(image));
    }
    return rows;
}

class InjectedFaults : public testing::Test {
protected:
    ScopedAppData scoped;
    FailingHeap heap = FailingHeap();
    ReportAllocator allocator = ReportAllocator();
    SnapshotSaveSteps realSteps = SnapshotSaveSteps();

    void SetUp() override
    {
        realSteps = snapshotSaveSteps;
        writeCalls = 0;
        replaceCalls = 0;
        allocator = FailingAllocator(heap);
        InitializeAppState(GetModuleHandleA(NULL));
        InitCommonControls();
        ASSERT_TRUE(UseFreshAppData(scoped, "tallyview-fault-test"));
        ASSERT_TRUE(CreateDirectoryA(DataFolder().c_str(), NULL));
    }

    void TearDown() override
    {
        snapshotSaveSteps = realSteps;
        appState.saveOnExit = 0;
        ShutdownApplication();
        DrainQueueForQuit();
        EXPECT_EQ(heap.badReleases, 0u);
        appState.report.allocator = NULL;
        RestoreAppData(scoped);
    }

    std::string DataFolder() const { return scoped.folder + "\\[hollowpinestudio]TallyviewData"; }

    std::string SnapshotPath() const
    {
        char name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = sizeof(name);
        GetComputerNameA(name, &size);
        return DataFolder() + "\\" + name + ".txt";
    }

    std::string NewPath() const { return SnapshotPath() + ".new"; }

    std::string EncodedRecordText() const
    {
        std::string bytes;
        EncodeSnapshot(appState.report.recordText.text, bytes);
        return bytes;
    }

    // From here on the report's blocks come from the test heap, which
    // refuses allocation point `failAt` (0: none). The previous blocks go
    // back to the heap that gave them.
    void UseTestHeap(size_t failAt)
    {
        FreeReport(appState.report);
        EXPECT_EQ(heap.liveBlocks, 0u);
        heap = FailingHeap();
        heap.failAt = failAt;
        appState.report.allocator = &allocator;
    }

    // The state record as a fresh start leaves it, on the test heap.
    void Restart(size_t failAt)
    {
        FreeReport(appState.report);
        free(appState.storedLineMatched);
        InitializeAppState(GetModuleHandleA(NULL));
        UseTestHeap(failAt);
    }

    // Allocations and resizes of one good sweep on this machine.
    size_t CountSweepAllocations()
    {
        UseTestHeap(0);
        EXPECT_TRUE(GetInformation());
        size_t points = heap.calls;
        FreeReport(appState.report);
        EXPECT_EQ(heap.liveBlocks, 0u);
        return points;
    }

    HWND CreateInformationWindow()
    {
        HWND window = CreateDialogParamA(appState.instanceHandle,
                                         MAKEINTRESOURCEA(IDD_INFORMATION), NULL,
                                         InformationWindowProc, 0);
        appState.mainWindow = window;
        return window;
    }
};

std::string PointName(size_t n, size_t points)
{
    return "allocation point " + std::to_string(n) + " of " + std::to_string(points);
}

TEST_F(InjectedFaults, StartUpSweepFailingAnywhereEndsSilentlyWithoutSaving)
{
    WriteBytes(SnapshotPath(), kOldSnapshot);
    const size_t points = CountSweepAllocations();
    ASSERT_GE(points, 20u) << "a sweep has at least five rows of four points";

    for (size_t n = 1; n <= points; ++n) {
        SCOPED_TRACE(PointName(n, points));
        MessageBoxAnswerer answerer = MessageBoxAnswerer();
        StartAnsweringMessageBoxes(answerer, {IDOK});

        Restart(n);
        EXPECT_FALSE(LoadAndCompareSnapshot());
        EXPECT_EQ(heap.refusals, 1u);
        EXPECT_STREQ(appState.storedText, kOldStoredText);
        EXPECT_EQ(appState.lastSweepTime, 0u) << "a failed sweep is no sweep";

        Restart(n);
        HWND window = CreateInformationWindow();
        bool quit = DrainQueueForQuit();
        StopAnsweringMessageBoxes(answerer);
        ASSERT_NE(window, (HWND)NULL);
        EXPECT_EQ(heap.refusals, 1u);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_TRUE(quit);
        EXPECT_EQ(appState.saveOnExit, 0);
        EXPECT_EQ(answerer.seen.size(), 0u) << "the start-up ends without a word";

        ShutdownApplication();
        EXPECT_EQ(heap.liveBlocks, 0u);
        EXPECT_EQ(ReadBytes(SnapshotPath()), kOldSnapshot);
        if (HasFailure())
            break;
    }

    // One point further is never reached: the sweep succeeds and finds the
    // stored snapshot changed.
    Restart(points + 1);
    EXPECT_TRUE(LoadAndCompareSnapshot());
    EXPECT_EQ(heap.refusals, 0u);
}

TEST_F(InjectedFaults, RefreshFailingAnywhereShowsOneErrorAndKeepsTheList)
{
    const size_t points = CountSweepAllocations();
    // No snapshot stored: the window is shown at once.
    ASSERT_TRUE(CreateMeasureFont());
    HWND window = CreateInformationWindow();
    ASSERT_NE(window, (HWND)NULL);
    ASSERT_TRUE(IsWindowVisible(window));
    // Only this test's refreshes: a tick inside an error box's loop would
    // render again.
    KillTimer(window, kRefreshTimerId);
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    const std::vector<std::string> shown = ListRows(list);
    ASSERT_GE(shown.size(), 5u);

    for (size_t n = 1; n <= points; ++n) {
        SCOPED_TRACE(PointName(n, points));
        UseTestHeap(n);
        appState.lastSweepTime = 0;
        MessageBoxAnswerer answerer = MessageBoxAnswerer();
        StartAnsweringMessageBoxes(answerer, {IDOK});
        EXPECT_FALSE(RenderReport(window, false));
        StopAnsweringMessageBoxes(answerer);

        EXPECT_EQ(heap.refusals, 1u);
        ASSERT_EQ(answerer.seen.size(), 1u);
        EXPECT_EQ(answerer.seen[0].text, "ERROR: FAILED GetInformation(...)");
        EXPECT_EQ(answerer.seen[0].caption, "Tallyview-ZezedazUrod v1.4.0.0");
        EXPECT_EQ(answerer.seen[0].style, (UINT)(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(answerer.seen[0].owner, window);
        EXPECT_EQ(ListRows(list), shown);
        EXPECT_EQ(appState.lastSweepTime, 0u);

        FreeReport(appState.report);
        EXPECT_EQ(heap.liveBlocks, 0u);
        if (HasFailure())
            break;
    }

    UseTestHeap(points + 1);
    appState.lastSweepTime = 0;
    MessageBoxAnswerer answerer = MessageBoxAnswerer();
    StartAnsweringMessageBoxes(answerer, {IDOK});
    EXPECT_TRUE(RenderReport(window, false));
    StopAnsweringMessageBoxes(answerer);
    EXPECT_EQ(answerer.seen.size(), 0u);
}

TEST_F(InjectedFaults, SaveSweepFailingAnywhereWritesNothing)
{
    WriteBytes(SnapshotPath(), kOldSnapshot);
    const size_t points = CountSweepAllocations();
    snapshotSaveSteps = {CountedWrite, CountedReplace};

    for (size_t n = 1; n <= points; ++n) {
        SCOPED_TRACE(PointName(n, points));
        UseTestHeap(n);
        SaveSnapshot();
        EXPECT_EQ(heap.refusals, 1u);
        EXPECT_EQ(ReadBytes(SnapshotPath()), kOldSnapshot);
        EXPECT_FALSE(Exists(NewPath()));
        FreeReport(appState.report);
        EXPECT_EQ(heap.liveBlocks, 0u);
        if (HasFailure())
            break;
    }
    EXPECT_EQ(writeCalls + replaceCalls, 0) << "no file step after a failed sweep";

    UseTestHeap(points + 1);
    SaveSnapshot();
    EXPECT_EQ(ReadBytes(SnapshotPath()), EncodedRecordText());
    EXPECT_EQ(writeCalls, 1);
}

TEST_F(InjectedFaults, UnwritableTemporaryFileLeavesTheSnapshotAlone)
{
    // A folder where the temporary file goes is not ours to remove.
    struct Case {
        const char* name;
        bool (*write)(const char*, const char*, size_t);
        bool newPathIsFolder;
    };
    const Case cases[] = {
        {"write fails half-way", WriteHalfThenFail, false},
        {"temporary path is a folder", CountedWrite, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(SnapshotPath(), kOldSnapshot);
        if (c.newPathIsFolder) {
            ASSERT_TRUE(CreateDirectoryA(NewPath().c_str(), NULL));
        }
        writeCalls = 0;
        replaceCalls = 0;
        snapshotSaveSteps = {c.write, CountedReplace};

        SaveSnapshot();
        EXPECT_EQ(writeCalls, 1);
        EXPECT_EQ(replaceCalls, 0);
        EXPECT_EQ(ReadBytes(SnapshotPath()), kOldSnapshot);
        DWORD attributes = GetFileAttributesA(NewPath().c_str());
        if (c.newPathIsFolder) {
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY));
            RemoveDirectoryA(NewPath().c_str());
        } else {
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << "the half-written file is removed";
        }
    }
}

TEST_F(InjectedFaults, RefusedReplaceKeepsTheSnapshotAndRemovesTheTemporaryFile)
{
    const DWORD kNoHold = MAXDWORD;
    struct Case {
        const char* name;
        bool (*replace)(const char*, const char*);
        DWORD holdSharing;  // the snapshot held open by another handle
        int writes;
        int replaces;
    };
    const Case cases[] = {
        {"replace refused", RefusedReplace, kNoHold, 1, 1},
        // Writable, but not to be replaced while held. (Wine refuses the
        // replace of any open file, even one that shares delete.)
        {"held without delete sharing", CountedReplace, FILE_SHARE_READ | FILE_SHARE_WRITE, 1, 1},
        // Not even writable: the save stops before the temporary file.
        {"held without any sharing", CountedReplace, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(SnapshotPath(), kOldSnapshot);
        writeCalls = 0;
        replaceCalls = 0;
        snapshotSaveSteps = {CountedWrite, c.replace};
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.holdSharing != kNoHold) {
            held = CreateFileA(SnapshotPath().c_str(), GENERIC_READ, c.holdSharing, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }

        SaveSnapshot();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(writeCalls, c.writes);
        EXPECT_EQ(replaceCalls, c.replaces);
        EXPECT_EQ(ReadBytes(SnapshotPath()), kOldSnapshot);
        EXPECT_FALSE(Exists(NewPath()));
    }
}

TEST_F(InjectedFaults, StaleTemporaryFileFromAnEndedSaveIsIgnoredThenReplaced)
{
    // The process ended between writing the temporary file and the replace.
    WriteBytes(SnapshotPath(), kOldSnapshot);
    WriteBytes(NewPath(), "STALE\r\nHALF");

    EXPECT_TRUE(LoadAndCompareSnapshot());
    EXPECT_STREQ(appState.storedText, kOldStoredText);
    EXPECT_EQ(appState.storedLineCount, 2u);

    SaveSnapshot();
    EXPECT_EQ(ReadBytes(SnapshotPath()), EncodedRecordText());
    EXPECT_FALSE(Exists(NewPath()));
}

}  // namespace
