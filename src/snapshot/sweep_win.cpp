#include "snapshot/sweep_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/app_state_win.h"

static const char kProcessorKeyPath[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor";

static void GatherIdentity(SweepFigures& figures)
{
    DWORD size = 1024;
    figures.userNameRead = GetUserNameA(figures.userName, &size) != FALSE;
    figures.userNameSize = size;

    size = 1024;
    figures.computerNameRead = GetComputerNameA(figures.computerName, &size) != FALSE;
    figures.computerNameLength = size;
}

static void GatherClock(SweepFigures& figures)
{
    _tzset();
    time_t now = time(NULL);
    const struct tm* local = localtime(&now);
    if (local != NULL)
        figures.localTime = *local;
    // A 64-bit count: the 32-bit one wraps after 49.7 days of uptime.
    figures.uptimeMilliseconds = GetTickCount64();
}

static void ReadProcessor(const char* subkeyName, SweepFigures& figures)
{
    char path[MAX_PATH];
    int length = snprintf(path, sizeof(path), "%s\\%s", kProcessorKeyPath, subkeyName);
    if (length < 0 || length >= (int)sizeof(path))
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;

    ProcessorFigures processor;
    memset(&processor, 0, sizeof(processor));
    DWORD size = sizeof(processor.name);
    if (RegQueryValueExA(key, "ProcessorNameString", NULL, NULL, (BYTE*)processor.name, &size) ==
        ERROR_SUCCESS) {
        processor.nameRead = true;
        processor.name[size < sizeof(processor.name) ? size : sizeof(processor.name) - 1] = '\0';
    }
    DWORD clock = 0;
    size = sizeof(clock);
    if (RegQueryValueExA(key, "~MHz", NULL, NULL, (BYTE*)&clock, &size) != ERROR_SUCCESS)
        clock = 0;
    processor.clockMhz = clock;
    RegCloseKey(key);
    figures.processors.push_back(processor);
}

static void GatherProcessors(SweepFigures& figures)
{
    figures.processors.clear();
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        char subkeyName[256];
        LONG result = RegEnumKeyA(key, index, subkeyName, sizeof(subkeyName));
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        // A name too long for the buffer is passed over; any other error
        // would repeat for every further index, so the walk ends there.
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        ReadProcessor(subkeyName, figures);
    }
    RegCloseKey(key);
}

void GatherSweepFigures(SweepFigures& figures)
{
    GatherIdentity(figures);
    GatherClock(figures);
    GatherProcessors(figures);
}

bool GetInformation()
{
    SweepFigures figures = SweepFigures();
    GatherSweepFigures(figures);
    return BuildReport(figures, appState.report);
}
