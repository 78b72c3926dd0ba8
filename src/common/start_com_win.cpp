#include "common/start_com_win.h"

#include <objbase.h>

void StartCom(uint8_t& comInitialized)
{
    if (comInitialized)
        return;
    CoInitialize(NULL);
    comInitialized = 1;
}
