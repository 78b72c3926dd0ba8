#include "window/render_win.h"

#include <commctrl.h>

#include <cstring>
#include <ctime>

#include "app/app_state_win.h"
#include "common/window_dpi.h"
#include "common/window_dpi_win.h"
#include "resource.h"
#include "snapshot/sweep_win.h"
#include "window/render_plan.h"

// UTF-16 units of a text with its NUL, decoded in the ANSI code page.
static size_t WideLength(const char* text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text != NULL ? text : "", -1, NULL, 0);
    return length > 0 ? (size_t)length : 1;
}

// Widest line of a text in the report font. Measured as UTF-16, decoded in
// the ANSI code page as the list view decodes the rows it is given: the ANSI
// call may go by the font's character set instead and misjudge a name in
// another script. `wide` has room for the text (WideLength).
static int32_t MeasureTextWidth(HDC dc, const char* text, ItemList<wchar_t>& wide)
{
    RECT rect = {0, 0, 20000, 20000};
    int length = MultiByteToWideChar(CP_ACP, 0, text != NULL ? text : "", -1, wide.items,
                                     (int)wide.capacity);
    if (length > 0)
        DrawTextW(dc, wide.items, -1, &rect, DT_CALCRECT);
    return length > 0 ? rect.right - rect.left : 0;
}

// Room for the widest of the texts that MeasureReport measures.
static size_t MeasureRoom()
{
    size_t room = WideLength(appState.report.valueText.text);
    size_t stored = WideLength(appState.storedText);
    size_t labels = WideLength(appState.report.labelText.text);
    room = stored > room ? stored : room;
    return labels > room ? labels : room;
}

static void MeasureReport(HWND window, ItemList<wchar_t>& wide, RenderMeasures& measures)
{
    WINDOWINFO windowInfo;
    ZeroMemory(&windowInfo, sizeof(windowInfo));
    windowInfo.cbSize = sizeof(windowInfo);
    GetWindowInfo(window, &windowInfo);
    TITLEBARINFO titleBar;
    ZeroMemory(&titleBar, sizeof(titleBar));
    titleBar.cbSize = sizeof(titleBar);
    GetTitleBarInfo(window, &titleBar);
    measures.titleBarHeight = titleBar.rcTitleBar.bottom - titleBar.rcTitleBar.top;
    measures.borderWidth = (int32_t)windowInfo.cxWindowBorders;
    measures.dpi = (int32_t)WindowDpi(window);

    // Measured in the font the list view draws with, so that every text fits
    // its column; the measuring font only when the list view reports none.
    HDC dc = GetWindowDC(window);
    HFONT listFont = (HFONT)SendDlgItemMessageA(window, IDC_REPORT_LIST, WM_GETFONT, 0, 0);
    HGDIOBJ previousFont = SelectObject(dc, listFont != NULL ? listFont : appState.measureFont);
    measures.valueTextWidth = MeasureTextWidth(dc, appState.report.valueText.text, wide);
    measures.storedTextWidth = MeasureTextWidth(dc, appState.storedText, wide);
    measures.labelTextWidth = MeasureTextWidth(dc, appState.report.labelText.text, wide);
    SelectObject(dc, previousFont);
    ReleaseDC(window, dc);
    measures.storedTextEmpty = appState.storedText[0] == '\0';
}

// `text` has room for the longest label or value of the plan and its NUL.
static void InsertPlannedRow(HWND list, const PlannedRow& row, char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) + 1;
    item.iSubItem = 0;
    item.pszText = text;
    item.iImage = row.icon;
    memcpy(text, row.label.text, row.label.length);
    text[row.label.length] = '\0';
    int index = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (index < 0)
        return;

    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = 1;
    memcpy(text, row.value.text, row.value.length);
    text[row.value.length] = '\0';
    SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item);
}

static size_t LongestPlannedText(const RenderPlan& plan)
{
    size_t longest = 0;
    for (size_t i = 0; i < plan.rows.count; ++i) {
        const PlannedRow& row = plan.rows.items[i];
        longest = row.label.length > longest ? row.label.length : longest;
        longest = row.value.length > longest ? row.value.length : longest;
    }
    return longest;
}

static void PlaceReportWindow(HWND window, const WindowLayout& layout, bool toCorner)
{
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, layout.column0Width);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, layout.column1Width);

    // Later renders keep the corner the user may have dragged it to.
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (!toCorner)
        flags |= SWP_NOMOVE;
    SetWindowPos(window, NULL, layout.windowLeft, layout.windowTop, layout.windowWidth,
                 layout.windowHeight, flags);
    SetWindowPos(list, NULL, layout.listLeft, layout.listTop, layout.listWidth, layout.listHeight,
                 SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(window, IDC_OPTIONS_BUTTON), NULL, layout.buttonLeft,
                 layout.buttonTop, layout.buttonWidth, layout.buttonHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The five row icons in their fixed order, drawn for `size` pixels, into the
// image list (indexes 0 to 4); the loaded icons are released again.
static void LoadRowIcons(int size)
{
    static const WORD kRowIconIds[kRowIconCount] = {
        IDI_ROW_SHADE0, IDI_ROW_SHADE1, IDI_ROW_CHANGED0, IDI_ROW_CHANGED1, IDI_ROW_MISSING};

    for (int i = 0; i < kRowIconCount; ++i) {
        appState.rowIcons[i] = (HICON)LoadImageA(appState.instanceHandle,
                                                 MAKEINTRESOURCEA(kRowIconIds[i]),
                                                 IMAGE_ICON, size, size, 0);
    }
    // Grow value 0: the list still takes all five icons, one at a time.
    appState.rowIconList = ImageList_Create(size, size, ILC_COLORDDB | ILC_MASK, 2, 0);
    for (int i = 0; i < kRowIconCount; ++i) {
        if (appState.rowIconList != NULL && appState.rowIcons[i] != NULL)
            ImageList_ReplaceIcon(appState.rowIconList, -1, appState.rowIcons[i]);
    }
    // The image list holds its own copies.
    for (int i = 0; i < kRowIconCount; ++i) {
        if (appState.rowIcons[i] != NULL) {
            DestroyIcon(appState.rowIcons[i]);
            appState.rowIcons[i] = NULL;
        }
    }
}

// What only a shown window needs, made when it first shows: a silent start
// never pays for the row icons, their image list or the window icon. Drawn
// for the window's DPI, from icon files that carry every size. Without an
// image list the rows simply show no icons.
static void LoadWindowImages(HWND window)
{
    const int size = ScalePixels(16, (int32_t)WindowDpi(window));
    if (appState.rowIconList == NULL)
        LoadRowIcons(size);
    if (appState.windowIcon == NULL)
        appState.windowIcon = (HICON)LoadImageA(appState.instanceHandle, MAKEINTRESOURCEA(IDI_PROGRAM),
                                                IMAGE_ICON, size, size, 0);
    SendDlgItemMessageA(window, IDC_REPORT_LIST, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)appState.rowIconList);
    SendMessageA(window, WM_SETICON, ICON_SMALL, (LPARAM)appState.windowIcon);
    SendMessageA(window, WM_SETICON, ICON_BIG, (LPARAM)appState.windowIcon);
}

struct IconSearch {
    HICON icon;
    bool shown;
};

static BOOL CALLBACK FindIconShown(HWND window, LPARAM lParam)
{
    IconSearch& search = *reinterpret_cast<IconSearch*>(lParam);
    search.shown = (HICON)SendMessageA(window, WM_GETICON, ICON_SMALL, 0) == search.icon ||
                   (HICON)SendMessageA(window, WM_GETICON, ICON_BIG, 0) == search.icon;
    return !search.shown;
}

// Whether a window of the program (the Options, Links and Donate dialogs
// take the window icon when they open) still shows the icon.
static bool IconShown(HICON icon)
{
    IconSearch search = {icon, false};
    EnumThreadWindows(GetCurrentThreadId(), FindIconShown, reinterpret_cast<LPARAM>(&search));
    return search.shown;
}

// A replaced window icon is destroyed once no window shows it; until then it
// is kept (and, without the memory to keep it listed, never destroyed).
static void RetireWindowIcon(HICON icon)
{
    size_t kept = 0;
    for (size_t i = 0; i < appState.retiredIcons.count; ++i) {
        HICON retired = appState.retiredIcons.items[i];
        if (IconShown(retired))
            appState.retiredIcons.items[kept++] = retired;
        else
            DestroyIcon(retired);
    }
    appState.retiredIcons.count = kept;
    if (icon != NULL && !IconShown(icon))
        DestroyIcon(icon);
    else if (icon != NULL)
        AppendItem(appState.retiredIcons, icon);
}

// The dialog manager makes the dialog's font once, at the DPI the window was
// made at, and sends no new one at a change of scale (the window lays itself
// out, OnInformationInit): the list's font is made here for the new DPI, the
// template's face and size at that DPI.
static void MakeListFont(HWND window, UINT dpi)
{
    const int32_t kTemplateFontPoints = 8;  // FONT 8 of template 106
    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    HFONT current = (HFONT)SendMessageA(list, WM_GETFONT, 0, 0);
    LOGFONTA font;
    if (current == NULL || GetObjectA(current, sizeof(font), &font) != (int)sizeof(font))
        return;
    font.lfHeight = FontHeightAtDpi(kTemplateFontPoints, dpi);
    font.lfWidth = 0;
    HFONT made = CreateFontIndirectA(&font);
    if (made == NULL)
        return;
    SendMessageA(list, WM_SETFONT, (WPARAM)made, FALSE);
    if (appState.listFont != NULL)
        DeleteObject(appState.listFont);
    appState.listFont = made;
}

void RescaleWindowImages(HWND window)
{
    MakeListFont(window, WindowDpi(window));
    SendDlgItemMessageA(window, IDC_REPORT_LIST, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    if (appState.rowIconList != NULL)
        ImageList_Destroy(appState.rowIconList);
    appState.rowIconList = NULL;
    HICON previous = appState.windowIcon;
    appState.windowIcon = NULL;
    LoadWindowImages(window);
    RetireWindowIcon(previous);
}

// The one box of a failed render. While it is up the refresh timer's ticks
// do nothing (InformationWindowProc), so a sweep that keeps failing behind
// it never stacks a second box.
static bool ShowRenderFailure()
{
    appState.renderErrorShowing = 1;
    MessageBoxA(appState.mainWindow, "ERROR: FAILED GetInformation(...)", appState.caption,
                MB_ICONWARNING | MB_OK);
    appState.renderErrorShowing = 0;
    return false;
}

void CopyReport(HWND window)
{
    StoredSnapshot stored = {appState.storedText, appState.storedLineCount,
                             appState.storedLineMatched};
    RenderPlan plan = RenderPlan();
    ItemList<char> text = ItemList<char>();
    if (PlanReportRows(appState.report, stored, appState.dozidodUder != 0, plan) &&
        ComposeCopyText(plan, text)) {
        // As Unicode text, from the ANSI code page the rows are in, so that
        // every script survives the paste.
        int units = MultiByteToWideChar(CP_ACP, 0, text.items, -1, NULL, 0);
        HGLOBAL memory = units > 0 ? GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)units * sizeof(WCHAR)) : NULL;
        WCHAR* target = memory != NULL ? (WCHAR*)GlobalLock(memory) : NULL;
        if (target != NULL) {
            MultiByteToWideChar(CP_ACP, 0, text.items, -1, target, units);
            GlobalUnlock(memory);
        }
        // Held by another program: nothing happens.
        if (target != NULL && OpenClipboard(window)) {
            EmptyClipboard();
            if (SetClipboardData(CF_UNICODETEXT, memory) != NULL)
                memory = NULL;  // the clipboard's now
            CloseClipboard();
        }
        if (memory != NULL)
            GlobalFree(memory);
    }
    FreeRenderPlan(plan);
    FreeItems(text);
}

bool RenderReport(HWND window, bool firstRender, bool toCorner)
{
    uint32_t now = (uint32_t)time(NULL);
    if (SweepIsDue(now, appState.lastSweepTime)) {
        if (!GetInformation())
            return ShowRenderFailure();
        appState.lastSweepTime = now;
    }

    // Planned before the list is touched: without memory for the plan, the
    // rows of the last good render stay, as after a failed sweep.
    StoredSnapshot stored = {appState.storedText, appState.storedLineCount,
                             appState.storedLineMatched};
    RenderPlan plan = RenderPlan();
    ItemList<char> text = ItemList<char>();
    ItemList<wchar_t> wide = ItemList<wchar_t>();
    if (!PlanReportRows(appState.report, stored, appState.dozidodUder != 0, plan) ||
        !ReserveItems(text, LongestPlannedText(plan) + 1) || !ReserveItems(wide, MeasureRoom())) {
        FreeRenderPlan(plan);
        FreeItems(text);
        FreeItems(wide);
        return ShowRenderFailure();
    }

    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    // The icons first: the rows are as high as the list view draws them.
    if (firstRender)
        LoadWindowImages(window);

    RenderMeasures measures;
    MeasureReport(window, wide, measures);
    FreeItems(wide);
    for (size_t i = 0; i < plan.rows.count; ++i)
        InsertPlannedRow(list, plan.rows.items[i], text.items);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    measures.rowHeight =
        SendMessageA(list, LVM_GETITEMRECT, 0, (LPARAM)&row) ? row.bottom - row.top : 0;

    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    PixelRect area = {workArea.left, workArea.top, workArea.right, workArea.bottom};
    appState.renderedWorkArea = area;
    WindowLayout layout;
    ComputeWindowLayout(measures, plan.rowCounter, plan.missingCount, area, layout);
    FreeRenderPlan(plan);
    FreeItems(text);
    PlaceReportWindow(window, layout, firstRender || toCorner);
    ShowWindow(window, SW_SHOWNORMAL);
    return true;
}
