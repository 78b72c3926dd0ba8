#include "common/window_dpi.h"

uint32_t ChooseWindowDpi(uint32_t windowDpi, uint32_t monitorDpi, uint32_t systemDpi)
{
    if (windowDpi > 0)
        return windowDpi;
    if (monitorDpi > 0)
        return monitorDpi;
    return systemDpi > 0 ? systemDpi : 96;
}

int32_t FontHeightAtDpi(int32_t points, uint32_t dpi)
{
    return -(int32_t)(((int64_t)points * dpi + 36) / 72);
}
