#include "app/app_state_win.h"

#include <cstring>

AppState appState;

const char kProgramCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const char kLinkFileName[] = "Tallyview-ZezedazUrod [HollowpineStudio].lnk";
const char kMutexName[] = "GlobalMutexHollowpineStudioTallyviewDozidodUder";

// Bounded copy that always terminates.
static void CopyFixedText(char* target, size_t targetSize, const char* source)
{
    strncpy(target, source, targetSize - 1);
    target[targetSize - 1] = '\0';
}

void InitializeAppState(HINSTANCE instance)
{
    memset(&appState, 0, sizeof(appState));
    appState.extremes = InitialExtremes();
    CopyFixedText(appState.caption, sizeof(appState.caption), kProgramCaption);
    CopyFixedText(appState.mutexName, sizeof(appState.mutexName), kMutexName);
    CopyFixedText(appState.linkFileName, sizeof(appState.linkFileName), kLinkFileName);
    appState.dozidodUder = 1;
    appState.instanceHandle = instance;
}
