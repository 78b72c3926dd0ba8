// The information window created from its real template, the message loop
// and shutdown.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstring>
#include <ctime>
#include <string>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "resource.h"
#include "message_box_answerer.h"
#include "wine_test_support.h"
#include "snapshot/sweep.h"
#include "window/information_window_win.h"
#include "window/render_win.h"

static std::string ItemText(HWND list, int item, int subItem)
{
    char buffer[512] = {0};
    LVITEMA lvItem;
    ZeroMemory(&lvItem, sizeof(lvItem));
    lvItem.iSubItem = subItem;
    lvItem.pszText = buffer;
    lvItem.cchTextMax = sizeof(buffer);
    SendMessageA(list, LVM_GETITEMTEXTA, item, (LPARAM)&lvItem);
    return buffer;
}

class InformationWindow : public testing::Test {
protected:
    HWND window = NULL;
    ScopedAppData scoped;

    void SetUp() override
    {
        InitializeAppState(GetModuleHandleA(NULL));
        // No snapshot stored: the window is shown, as on a first start.
        ASSERT_TRUE(UseFreshAppData(scoped, "tallyview-window-test"));
        InitCommonControls();
        CoInitialize(NULL);
        appState.comInitialized = 1;
        LoadRowIcons();
        appState.windowIcon = (HICON)LoadImageA(appState.instanceHandle,
                                                MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16,
                                                16, 0);
        ASSERT_TRUE(CreateMeasureFont());
        window = CreateDialogParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_INFORMATION),
                                    NULL, InformationWindowProc, 0);
        ASSERT_NE(window, (HWND)NULL);
        appState.mainWindow = window;
    }

    void TearDown() override
    {
        ShutdownApplication();
        DrainQueueForQuit();
        RestoreAppData(scoped);
    }
};

TEST_F(InformationWindow, IsAVisibleToolWindowWithTheProgramCaption)
{
    char caption[64] = {0};
    GetWindowTextA(window, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Tallyview-ZezedazUrod v1.4.0.0");
    // The system adds the window-edge and control-parent bits itself.
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & ~(WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT),
              WS_EX_TOOLWINDOW);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    // No snapshot is stored yet, so the window is shown at start.
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(appState.saveOnExit, 1);
    EXPECT_EQ((HICON)SendMessageA(window, WM_GETICON, ICON_SMALL, 0), appState.windowIcon);
    EXPECT_EQ((HICON)SendMessageA(window, WM_GETICON, ICON_BIG, 0), appState.windowIcon);
}

TEST_F(InformationWindow, ListViewHasTheTemplateStylesAndTwoColumns)
{
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    ASSERT_NE(list, (HWND)NULL);
    char className[64] = {0};
    GetClassNameA(list, className, sizeof(className));
    EXPECT_STREQ(className, "SysListView32");

    LONG style = GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    for (LONG bit : {(LONG)LVS_NOSCROLL, (LONG)LVS_NOCOLUMNHEADER, (LONG)LVS_NOSORTHEADER,
                     (LONG)LVS_SHAREIMAGELISTS, (LONG)WS_CHILD, (LONG)WS_VISIBLE,
                     (LONG)WS_DISABLED, (LONG)WS_TABSTOP})
        EXPECT_EQ(style & bit, bit) << "style bit " << std::hex << bit;

    LVCOLUMNA column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_SUBITEM;
    EXPECT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 0, (LPARAM)&column));
    EXPECT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 1, (LPARAM)&column));
    EXPECT_EQ(column.iSubItem, 1);
    EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 2, (LPARAM)&column));

    EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT,
              LVS_EX_FULLROWSELECT);
    EXPECT_EQ((HIMAGELIST)SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0),
              appState.rowIconList);
}

TEST_F(InformationWindow, ListShowsTheReportRowsInOrder)
{
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    int count = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    ASSERT_EQ(count, appState.report.iconCount);
    ASSERT_GE(count, 5);
    EXPECT_EQ(ItemText(list, 0, 0), "USERNAME");
    EXPECT_EQ(ItemText(list, 1, 0), "DATE&TIME");
    EXPECT_EQ(ItemText(list, 2, 0), "COMPUTERNAME");
    EXPECT_EQ(ItemText(list, 3, 0), "UPTIME");
    EXPECT_EQ(ItemText(list, 4, 0), "CPU");

    char computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof(computer);
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    EXPECT_EQ(ItemText(list, 2, 1), computer);
}

TEST_F(InformationWindow, FirstRenderSitsAtTheLowerRightOfTheWorkArea)
{
    RECT workArea, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right, workArea.right);
    EXPECT_EQ(rect.bottom, workArea.bottom);
}

TEST_F(InformationWindow, ImageListHoldsTheFiveRowIcons)
{
    ASSERT_NE(appState.rowIconList, (HIMAGELIST)NULL);
    EXPECT_EQ(ImageList_GetImageCount(appState.rowIconList), 5);
    for (HICON icon : appState.rowIcons)
        EXPECT_EQ(icon, (HICON)NULL) << "row icons are released once the list holds them";
}

TEST_F(InformationWindow, CloseBoxStopsTheLoop)
{
    DrainQueueForQuit();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(DrainQueueForQuit());
    // Closing does not destroy the window; shutdown does.
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(InformationWindow, OkCommandStopsTheLoopLikeTheCloseBox)
{
    DrainQueueForQuit();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(DrainQueueForQuit());
}

TEST_F(InformationWindow, OtherCommandsAndKeysDoNothing)
{
    DrainQueueForQuit();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(4242, BN_CLICKED), 0);
    EXPECT_FALSE(DrainQueueForQuit());
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(InformationWindow, QueryEndSessionShutsDownBeforeTheLoopEnds)
{
    DrainQueueForQuit();
    SendMessageA(window, WM_QUERYENDSESSION, 0, 0);
    EXPECT_TRUE(DrainQueueForQuit());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(appState.mainWindow, (HWND)NULL);
    EXPECT_EQ(appState.measureFont, (HFONT)NULL);
    EXPECT_EQ(appState.rowIconList, (HIMAGELIST)NULL);
}

TEST_F(InformationWindow, ShutdownTwiceReleasesEverythingOnce)
{
    ShutdownApplication();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(appState.mainWindow, (HWND)NULL);
    EXPECT_EQ(appState.windowIcon, (HICON)NULL);
    EXPECT_EQ(appState.measureFont, (HFONT)NULL);
    EXPECT_EQ(appState.rowIconList, (HIMAGELIST)NULL);
    EXPECT_EQ(appState.report.labelText.text, (char*)NULL);
    EXPECT_EQ(appState.report.iconIndexes, (int32_t*)NULL);
    EXPECT_EQ(appState.report.iconCount, 0);
    EXPECT_EQ(appState.comInitialized, 0);

    // A second run (log-off handled, then the loop ends) finds nothing left.
    ShutdownApplication();
    EXPECT_EQ(appState.mainWindow, (HWND)NULL);
    EXPECT_EQ(appState.rowIconList, (HIMAGELIST)NULL);
}

static int ItemImage(HWND list, int item)
{
    LVITEMA lvItem;
    ZeroMemory(&lvItem, sizeof(lvItem));
    lvItem.mask = LVIF_IMAGE;
    lvItem.iItem = item;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&lvItem);
    return lvItem.iImage;
}

// Puts a report of made-up figures in place, as if swept just now.
static void UseSyntheticReport(const char* userName)
{
    SweepFigures figures = SweepFigures();
    figures.userNameRead = true;
    strcpy(figures.userName, userName);
    figures.userNameSize = (uint32_t)strlen(userName) + 1;
    figures.computerNameRead = true;
    strcpy(figures.computerName, "PC7");
    figures.computerNameLength = 3;
    figures.processesCounted = true;
    ASSERT_TRUE(BuildReport(figures, appState.extremes, appState.report));
    appState.lastSweepTime = (uint32_t)time(NULL);
}

TEST_F(InformationWindow, RefreshWithinTenSecondsRendersTheSameReport)
{
    UseSyntheticReport("synthetic-user");
    ASSERT_TRUE(RenderReport(window, false));
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    EXPECT_EQ(ItemText(list, 0, 1), "synthetic-user");

    appState.lastSweepTime -= 11;
    ASSERT_TRUE(RenderReport(window, false));
    char user[1024];
    DWORD size = sizeof(user);
    GetUserNameA(user, &size);
    EXPECT_EQ(ItemText(list, 0, 1), user) << "a sweep more than 10 seconds old is redone";
}

TEST_F(InformationWindow, RefreshResizesAMovedWindowInPlace)
{
    SetWindowPos(window, NULL, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    UseSyntheticReport("a-much-longer-synthetic-user-name-to-widen-the-window");
    RECT before;
    GetWindowRect(window, &before);
    ASSERT_TRUE(RenderReport(window, false));
    RECT after;
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, 10);
    EXPECT_EQ(after.top, 20);
    EXPECT_GT(after.right - after.left, before.right - before.left);
}

TEST_F(InformationWindow, RowsAreMarkedAgainstTheLoadedSnapshot)
{
    UseSyntheticReport("user");
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    std::string record = appState.report.recordText.text;  // "PC7\n<size>MB"
    std::string size = record.substr(record.find('\n') + 1);
    appState.storedLineMatched = (int32_t*)calloc(2, sizeof(int32_t));
    appState.storedLineCount = 2;

    strcpy(appState.storedText, record.c_str());
    ASSERT_TRUE(RenderReport(window, false));
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), appState.report.iconCount);
    EXPECT_EQ(ItemImage(list, 2), 1) << "the computer name row keeps its shade";

    strcpy(appState.storedText, ("OTHER-PC\n" + size).c_str());
    ASSERT_TRUE(RenderReport(window, false));
    int rows = appState.report.iconCount;
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), rows + 1);
    EXPECT_EQ(ItemImage(list, 2), 3);
    EXPECT_EQ(ItemText(list, rows, 0), "MISSING");
    EXPECT_EQ(ItemText(list, rows, 1), "OTHER-PC");
    EXPECT_EQ(ItemImage(list, rows), 4);
}

static void* RefuseAllocation(size_t, void*) { return NULL; }
static void* RefuseResize(void*, size_t, void*) { return NULL; }
static void ReleaseBlock(void* block, void*) { free(block); }

TEST_F(InformationWindow, FailedRefreshShowsTheErrorAndKeepsTheList)
{
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    LRESULT rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    static const ReportAllocator refusing = {RefuseAllocation, RefuseResize, ReleaseBlock, NULL};
    appState.report.allocator = &refusing;
    appState.lastSweepTime = 0;

    MessageBoxAnswerer answerer = MessageBoxAnswerer();
    StartAnsweringMessageBoxes(answerer, {IDOK});
    EXPECT_FALSE(RenderReport(window, false));
    StopAnsweringMessageBoxes(answerer);
    appState.report.allocator = NULL;

    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "ERROR: FAILED GetInformation(...)");
    EXPECT_EQ(answerer.seen[0].caption, "Tallyview-ZezedazUrod v1.4.0.0");
    EXPECT_EQ(answerer.seen[0].style, (UINT)(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(answerer.seen[0].owner, window);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), rows);
    EXPECT_EQ(appState.lastSweepTime, 0u);
}

// A window class of our own for the loop test only.
static int dispatchedToProbe = 0;
static LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 7)
        ++dispatchedToProbe;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MessageLoop, DispatchesWhatIsQueuedBeforeTheQuitAndThenEnds)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TallyviewLoopProbe";
    RegisterClassA(&windowClass);
    HWND probe = CreateWindowA("TallyviewLoopProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                               windowClass.hInstance, NULL);
    ASSERT_NE(probe, (HWND)NULL);

    dispatchedToProbe = 0;
    PostMessageA(probe, WM_APP + 7, 0, 0);
    PostQuitMessage(0);
    PostMessageA(probe, WM_APP + 7, 0, 0);
    RunMessageLoop();
    // The queue is drained after the quit message too.
    EXPECT_EQ(dispatchedToProbe, 2);
    DestroyWindow(probe);
}
