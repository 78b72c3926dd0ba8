#include "window/render_win.h"

#include <commctrl.h>

#include <ctime>
#include <string>

#include "app/app_state_win.h"
#include "resource.h"
#include "snapshot/sweep_win.h"

// Interim render: the rows as the sweep gave them, without comparing them
// with a saved snapshot.

static const uint32_t kSweepIntervalSeconds = 10;

static std::string NextLine(const char* text, size_t& position)
{
    std::string line;
    if (text == NULL)
        return line;
    while (text[position] != '\0' && text[position] != '\n')
        line += text[position++];
    if (text[position] == '\n')
        ++position;
    return line;
}

static int MeasureWidth(HDC dc, const char* text)
{
    RECT rect = {0, 0, 20000, 20000};
    if (text == NULL)
        text = "";
    DrawTextA(dc, text, -1, &rect, DT_CALCRECT);
    return rect.right - rect.left;
}

bool RenderReport(HWND window, bool firstRender)
{
    uint32_t now = (uint32_t)time(NULL);
    if (now - appState.lastSweepTime > kSweepIntervalSeconds) {
        if (!GetInformation()) {
            MessageBoxA(appState.mainWindow, "ERROR: FAILED GetInformation(...)", appState.caption,
                        MB_ICONWARNING | MB_OK);
            return false;
        }
        appState.lastSweepTime = now;
    }

    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);

    WINDOWINFO windowInfo;
    ZeroMemory(&windowInfo, sizeof(windowInfo));
    windowInfo.cbSize = sizeof(windowInfo);
    GetWindowInfo(window, &windowInfo);
    TITLEBARINFO titleBar;
    ZeroMemory(&titleBar, sizeof(titleBar));
    titleBar.cbSize = sizeof(titleBar);
    GetTitleBarInfo(window, &titleBar);
    int titleHeight = titleBar.rcTitleBar.bottom - titleBar.rcTitleBar.top;
    int border = (int)windowInfo.cxWindowBorders;

    HDC dc = GetWindowDC(window);
    HGDIOBJ previousFont = SelectObject(dc, appState.measureFont);
    int valueWidth = MeasureWidth(dc, appState.report.valueText.text);
    int labelWidth = MeasureWidth(dc, appState.report.labelText.text) + 16;
    SelectObject(dc, previousFont);
    ReleaseDC(window, dc);

    int width = valueWidth + labelWidth + 65;

    const SnapshotReport& report = appState.report;
    size_t labelPosition = 0;
    size_t valuePosition = 0;
    int rowCounter = 0;
    const char* values = report.valueText.text != NULL ? report.valueText.text : "";
    for (int row = 0; values[0] != '\0' && row < report.iconCount; ++row) {
        std::string label = NextLine(report.labelText.text, labelPosition);
        std::string value = NextLine(values, valuePosition);

        LVITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) + 1;
        item.pszText = (char*)label.c_str();
        item.iImage = report.iconIndexes[row];
        int index = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);

        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.iSubItem = 1;
        item.pszText = (char*)value.c_str();
        SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item);

        if (values[valuePosition] == '\0')
            break;
        ++rowCounter;
    }

    int height = 17 * rowCounter + titleHeight + 69;

    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, labelWidth + 15);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, valueWidth + 20);

    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (!firstRender)
        flags |= SWP_NOMOVE;
    SetWindowPos(window, NULL, workArea.right - width, workArea.bottom - height, width, height,
                 flags);
    SetWindowPos(list, NULL, 15 - border, 11, width - 30, height - 65, SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(window, IDC_OPTIONS_BUTTON), NULL, 15 - border,
                 height - titleHeight - 28, width - 30, 10,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    ShowWindow(window, SW_SHOWNORMAL);
    return true;
}
