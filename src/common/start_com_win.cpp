#include "common/start_com_win.h"

#include <objbase.h>

#include "app/app_state_win.h"

void StartCom()
{
    if (appState.comInitialized)
        return;
    CoInitialize(NULL);
    appState.comInitialized = 1;
}
