#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "common/item_list.h"
#include "common/pixel_rect.h"
#include "snapshot/machine_rows.h"
#include "snapshot/snapshot_report.h"
#include "window/dpi_change.h"

// Capacities of the fixed buffers.
enum {
    kStoredTextSize = 128000,
    kAppDataPathSize = MAX_PATH,
    kComputerNameSize = 256,
    kCaptionSize = 40,
    kLinkFileNameSize = 60,
    kMutexNameSize = 256,
    kReferrerPageTextSize = 4096,
    kRowIconCount = 5,
};

// The one global state record. Zero-filled by WinMain before anything else
// runs; each handle and block it owns is released once and then cleared.
struct AppState {
    HINSTANCE instanceHandle;
    HWND mainWindow;
    HFONT measureFont;
    HIMAGELIST rowIconList;
    SnapshotReport report;  // recordText, valueText, labelText, iconIndexes,
                            // iconCount, rowKinds, rowKindCount, currentIcon
    char storedText[kStoredTextSize];
    int32_t* storedLineMatched;
    uint32_t storedLineCount;
    uint32_t lastSweepTime;
    RunningExtremes extremes;
    char appDataPath[kAppDataPathSize];
    uint8_t dataFolderAvailable;
    char computerName[kComputerNameSize];
    uint8_t dozidodUder;
    uint8_t saveOnExit;
    HICON windowIcon;
    HICON rowIcons[kRowIconCount];
    char caption[kCaptionSize];
    char linkFileName[kLinkFileNameSize];
    char mutexName[kMutexNameSize];
    char referrerPageText[kReferrerPageTextSize];
    uint8_t comInitialized;  // CoInitialize ran; shutdown balances it once
    uint8_t renderErrorShowing;  // the box of a failed render is up
    HFONT listFont;              // the list's font since a scale change
    ItemList<HICON> retiredIcons;  // window icons replaced while dialogs showed them
    PixelRect renderedWorkArea;  // the work area of the last render
    DpiChangeGuard dpiChange;
    ItemList<char> recordOnFile;  // the record text this run saved last, with its NUL
    struct IAccPropServices* accessibility;  // names the bar for screen readers while the window lives
};

extern AppState appState;

extern const char kProgramCaption[];   // "Tallyview-ZezedazUrod v1.4.0.0"
extern const char kLinkFileName[];     // "Tallyview-ZezedazUrod [HollowpineStudio].lnk"
extern const char kMutexName[];        // "GlobalMutexHollowpineStudioTallyviewDozidodUder"

// Steps 1 to 4 of the start: zero fill, start values, fixed texts, flags.
void InitializeAppState(HINSTANCE instance);
