#include "snapshot/sweep_win.h"

#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <psapi.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/app_state_win.h"

static const char kProcessorKeyPath[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor";

static void GatherIdentity(SweepFigures& figures)
{
    // Through the wide call: some systems' ANSI call counts a UTF-8 name in
    // characters and cuts it. The size is then that of the ANSI text.
    WCHAR userName[1024];
    DWORD size = 1024;
    figures.userNameRead = GetUserNameW(userName, &size) != FALSE;
    int bytes = figures.userNameRead ? WideCharToMultiByte(CP_ACP, 0, userName, -1,
                                                           figures.userName,
                                                           sizeof(figures.userName), NULL, NULL)
                                     : 0;
    figures.userNameRead = bytes > 0;
    figures.userNameSize = (uint32_t)bytes;

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

// False only when there was no memory to list the processor.
static bool ReadProcessor(const char* subkeyName, SweepFigures& figures)
{
    char path[MAX_PATH];
    int length = snprintf(path, sizeof(path), "%s\\%s", kProcessorKeyPath, subkeyName);
    if (length < 0 || length >= (int)sizeof(path))
        return true;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return true;

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
    return AppendItem(figures.processors, processor);
}

static bool GatherProcessors(SweepFigures& figures)
{
    figures.processors.count = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return true;
    bool listed = true;
    for (DWORD index = 0; listed; ++index) {
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
        listed = ReadProcessor(subkeyName, figures);
    }
    RegCloseKey(key);
    return listed;
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

// Without memory for the list the processes count as not counted, which
// fails the sweep.
static void CountProcesses(SweepFigures& figures)
{
    // Grown and asked again while the list fills the buffer, so that a busy
    // server is counted in full.
    ItemList<DWORD> ids = ItemList<DWORD>();
    figures.processesCounted = false;
    for (size_t wanted = 4096; ReserveItems(ids, wanted); wanted *= 2) {
        DWORD bytes = 0;
        DWORD capacity = (DWORD)(wanted * sizeof(DWORD));
        if (!EnumProcesses(ids.items, capacity, &bytes))
            break;
        if (bytes < capacity || wanted >= (1u << 22)) {
            figures.processesCounted = true;
            figures.processCount = bytes / sizeof(DWORD);
            break;
        }
    }
    FreeItems(ids);
}

// Reads one registry property of a device with the two-call pattern into
// `value`, zero-filled to exactly the size the platform asks for and ended
// within it. `value` is left empty when the device has no such property or
// it cannot be read (DevicePropertyRetryAllowed).
// False only when the memory for it could not be had: a device is never
// left out of a sweep for lack of memory, the sweep fails instead.
static bool ReadDeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property,
                               ItemList<char>& value)
{
    value.count = 0;
    DWORD required = 0;
    if (SetupDiGetDeviceRegistryPropertyA(devices, &device, property, NULL, NULL, 0, &required))
        return true;
    DWORD size = 0;
    for (uint32_t attempt = 0; GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
                               DevicePropertyRetryAllowed(attempt, size, required);
         ++attempt) {
        size = required;
        if (!ReserveItems(value, size))
            return false;
        ZeroMemory(value.items, size);
        if (SetupDiGetDeviceRegistryPropertyA(devices, &device, property, NULL,
                                              (BYTE*)value.items, size, &required)) {
            // Cut at the last byte of the buffer, so the text ends within it.
            value.items[size - 1] = '\0';
            value.count = size;
            return true;
        }
    }
    return true;
}

// Lists the devices of every query on one bus with a single device set: the
// set of a bus is the same for each of its queries, and building it is the
// costly step. False when memory ran out.
static bool GatherBusDevices(const char* enumerator, SweepFigures& figures)
{
    HDEVINFO devices =
        SetupDiGetClassDevsA(NULL, enumerator, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE)
        return true;
    ItemList<char> className = ItemList<char>();
    ItemList<char> description = ItemList<char>();
    bool listed = true;
    SP_DEVINFO_DATA device;
    for (DWORD index = 0; listed; ++index) {
        ZeroMemory(&device, sizeof(device));
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(devices, index, &device))
            break;
        listed = ReadDeviceProperty(devices, device, SPDRP_CLASS, className);
        if (className.count == 0)
            continue;
        for (int query = 0; query < kDeviceQueryCount && listed; ++query) {
            if (strcmp(kDeviceQueries[query].enumerator, enumerator) != 0 ||
                !DeviceIsSelected(className.items, kDeviceQueries[query]))
                continue;
            listed = ReadDeviceProperty(devices, device, SPDRP_DEVICEDESC, description);
            if (listed && description.count > 0)
                listed = AppendItems(figures.devices[query], description.items,
                                     strlen(description.items) + 1);
        }
    }
    FreeItems(className);
    FreeItems(description);
    SetupDiDestroyDeviceInfoList(devices);
    return listed;
}

static void GatherDrives(SweepFigures& figures)
{
    figures.driveCount = 0;
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
        // The kernel's call, as the shell's gives the same figures for a
        // drive's root and would load the shell and the window manager.
        if (!GetDiskFreeSpaceExA(root, &freeToCaller, &total, &totalFree))
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
        figures.drives[figures.driveCount++] = drive;
    }
}

bool GatherSweepFigures(SweepFigures& figures)
{
    GatherIdentity(figures);
    GatherClock(figures);
    if (!GatherProcessors(figures))
        return false;
    GatherMemory(figures);
    CountProcesses(figures);
    for (int query = 0; query < kDeviceQueryCount; ++query)
        figures.devices[query].count = 0;
    // One device set per bus, in the order the queries first name it.
    for (int query = 0; query < kDeviceQueryCount; ++query) {
        bool listed = false;
        for (int earlier = 0; earlier < query && !listed; ++earlier)
            listed = strcmp(kDeviceQueries[earlier].enumerator,
                            kDeviceQueries[query].enumerator) == 0;
        if (!listed && !GatherBusDevices(kDeviceQueries[query].enumerator, figures))
            return false;
    }
    GatherDrives(figures);
    return true;
}

bool GetInformation()
{
    SweepFigures figures = SweepFigures();
    bool built = GatherSweepFigures(figures) &&
                 BuildReport(figures, appState.extremes, appState.report);
    FreeSweepFigures(figures);
    return built;
}
