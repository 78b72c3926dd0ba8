#include "snapshot/sweep_win.h"

#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <psapi.h>
#include <setupapi.h>
#include <shellapi.h>

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

static void GatherMemory(SweepFigures& figures)
{
    // The 64-bit status: the 32-bit one cannot express more than 4 GB.
    MEMORYSTATUSEX status;
    ZeroMemory(&status, sizeof(status));
    status.dwLength = sizeof(status);
    if (GlobalMemoryStatusEx(&status)) {
        figures.memory.totalPhys = status.ullTotalPhys;
        figures.memory.availPhys = status.ullAvailPhys;
        figures.memory.totalPageFile = status.ullTotalPageFile;
        figures.memory.availPageFile = status.ullAvailPageFile;
    }
}

static void CountProcesses(SweepFigures& figures)
{
    // Grown and asked again while the list fills the buffer, so that a busy
    // server is counted in full.
    std::vector<DWORD> ids(4096);
    figures.processesCounted = false;
    for (;;) {
        DWORD bytes = 0;
        DWORD capacity = (DWORD)(ids.size() * sizeof(DWORD));
        if (!EnumProcesses(ids.data(), capacity, &bytes))
            return;
        if (bytes < capacity || ids.size() >= (1u << 22)) {
            figures.processesCounted = true;
            figures.processCount = bytes / sizeof(DWORD);
            return;
        }
        ids.resize(ids.size() * 2);
    }
}

// Reads one registry property of a device with the two-call pattern, into a
// zero-filled buffer of exactly the size the platform asks for. Null when
// the property cannot be read; the caller frees the buffer with LocalFree.
static char* ReadDeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property)
{
    DWORD required = 0;
    if (SetupDiGetDeviceRegistryPropertyA(devices, &device, property, NULL, NULL, 0, &required))
        return NULL;
    char* buffer = NULL;
    while (GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > 0) {
        if (buffer != NULL)
            LocalFree(buffer);
        DWORD size = required;
        buffer = (char*)LocalAlloc(LPTR, size);
        if (buffer == NULL)
            return NULL;
        if (SetupDiGetDeviceRegistryPropertyA(devices, &device, property, NULL, (BYTE*)buffer,
                                              size, &required)) {
            // Cut at the last byte of the buffer, so the text ends within it.
            buffer[size - 1] = '\0';
            return buffer;
        }
    }
    if (buffer != NULL)
        LocalFree(buffer);
    return NULL;
}

// Lists the devices of every query on one bus with a single device set: the
// set of a bus is the same for each of its queries, and building it is the
// costly step.
static void GatherBusDevices(const char* enumerator, SweepFigures& figures)
{
    HDEVINFO devices =
        SetupDiGetClassDevsA(NULL, enumerator, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device;
    for (DWORD index = 0;; ++index) {
        ZeroMemory(&device, sizeof(device));
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(devices, index, &device))
            break;
        char* className = ReadDeviceProperty(devices, device, SPDRP_CLASS);
        if (className == NULL)
            continue;
        for (int query = 0; query < kDeviceQueryCount; ++query) {
            if (strcmp(kDeviceQueries[query].enumerator, enumerator) != 0 ||
                !DeviceIsSelected(className, kDeviceQueries[query]))
                continue;
            char* description = ReadDeviceProperty(devices, device, SPDRP_DEVICEDESC);
            if (description != NULL) {
                figures.devices[query].push_back(description);
                LocalFree(description);
            }
        }
        LocalFree(className);
    }
    SetupDiDestroyDeviceInfoList(devices);
}

static void GatherDrives(SweepFigures& figures)
{
    figures.drives.clear();
    // Asking the type of each of the 26 letters costs a round trip to the
    // mount manager each; letters that hold no drive are skipped up front.
    DWORD present = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (present != 0 && (present & (1u << (letter - 'A'))) == 0)
            continue;
        char root[4] = {letter, ':', '\\', '\0'};
        // Only fixed drives give rows. Removable and optical drives are
        // never touched beyond their type, and network drives are skipped
        // too: measuring a dead share can stall the logon for nothing shown.
        if (GetDriveTypeA(root) != DRIVE_FIXED)
            continue;
        ULARGE_INTEGER freeToCaller, total, totalFree;
        if (!SHGetDiskFreeSpaceExA(root, &freeToCaller, &total, &totalFree))
            continue;
        DriveFigures drive;
        ZeroMemory(&drive, sizeof(drive));
        snprintf(drive.tag, sizeof(drive.tag), "[%c:]", letter);
        drive.totalBytes = total.QuadPart;
        drive.totalFreeBytes = totalFree.QuadPart;
        DWORD maximumComponentLength = 0;
        DWORD fileSystemFlags = 0;
        if (!GetVolumeInformationA(root, drive.volumeName, sizeof(drive.volumeName), NULL,
                                   &maximumComponentLength, &fileSystemFlags,
                                   drive.fileSystemName, sizeof(drive.fileSystemName))) {
            drive.volumeName[0] = '\0';
            drive.fileSystemName[0] = '\0';
        }
        drive.volumeName[sizeof(drive.volumeName) - 1] = '\0';
        drive.fileSystemName[sizeof(drive.fileSystemName) - 1] = '\0';
        figures.drives.push_back(drive);
    }
}

void GatherSweepFigures(SweepFigures& figures)
{
    GatherIdentity(figures);
    GatherClock(figures);
    GatherProcessors(figures);
    GatherMemory(figures);
    CountProcesses(figures);
    for (int query = 0; query < kDeviceQueryCount; ++query)
        figures.devices[query].clear();
    // One device set per bus, in the order the queries first name it.
    for (int query = 0; query < kDeviceQueryCount; ++query) {
        bool listed = false;
        for (int earlier = 0; earlier < query && !listed; ++earlier)
            listed = strcmp(kDeviceQueries[earlier].enumerator,
                            kDeviceQueries[query].enumerator) == 0;
        if (!listed)
            GatherBusDevices(kDeviceQueries[query].enumerator, figures);
    }
    GatherDrives(figures);
}

bool GetInformation()
{
    SweepFigures figures = SweepFigures();
    GatherSweepFigures(figures);
    return BuildReport(figures, appState.extremes, appState.report);
}
