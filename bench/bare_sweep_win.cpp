#include "bare_sweep_win.h"

#include <windows.h>
#include <psapi.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <ctime>

const char* const kBareStepNames[kBareStepCount] = {
    "identity", "clock", "processors", "memory", "processes",
    "display",  "media", "network",    "usb",    "drives"};

// Results land here so that the compiler keeps every query.
static volatile unsigned long long sink;

static void BareIdentity()
{
    WCHAR user[1024];
    DWORD size = 1024;
    if (GetUserNameW(user, &size))
        sink += size;
    char name[1024];
    size = sizeof(name);
    if (GetComputerNameA(name, &size))
        sink += size;
}

static void BareClock()
{
    _tzset();
    time_t now = time(NULL);
    const struct tm* local = localtime(&now);
    if (local != NULL)
        sink += (unsigned)local->tm_min;
    sink += GetTickCount64();
}

static void BareProcessors()
{
    static const char kPath[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor";
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char subkeyName[256];
    for (DWORD index = 0;
         RegEnumKeyA(key, index, subkeyName, sizeof(subkeyName)) == ERROR_SUCCESS; ++index) {
        // Each processor key opened by its full path, as the program does.
        char path[MAX_PATH];
        snprintf(path, sizeof(path), "%s\\%s", kPath, subkeyName);
        HKEY processor;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &processor) != ERROR_SUCCESS)
            continue;
        char name[1024];
        DWORD size = sizeof(name);
        if (RegQueryValueExA(processor, "ProcessorNameString", NULL, NULL, (BYTE*)name,
                             &size) == ERROR_SUCCESS)
            sink += size;
        DWORD clock = 0;
        size = sizeof(clock);
        if (RegQueryValueExA(processor, "~MHz", NULL, NULL, (BYTE*)&clock, &size) ==
            ERROR_SUCCESS)
            sink += clock;
        RegCloseKey(processor);
    }
    RegCloseKey(key);
}

static void BareMemory()
{
    MEMORYSTATUSEX status;
    status.dwLength = sizeof(status);
    if (GlobalMemoryStatusEx(&status))
        sink += status.ullAvailPhys;
}

static void BareProcesses()
{
    static DWORD ids[4096];
    DWORD bytes = 0;
    if (EnumProcesses(ids, sizeof(ids), &bytes))
        sink += bytes;
}

// The classes the listings keep: on PCI the display, media and network
// devices; on USB everything but the bus's own controllers and hubs.
static bool Wanted(const char* enumerator, const char* className)
{
    if (strcmp(enumerator, "USB") == 0)
        return strcmp(className, "USB") != 0;
    return strcmp(className, "Display") == 0 || strcmp(className, "MEDIA") == 0 ||
           strcmp(className, "Net") == 0;
}

// One device set per bus, as the program builds it: every present device,
// its class, and the description of those some listing of that bus wants.
static void BareBusDevices(const char* enumerator)
{
    HDEVINFO devices =
        SetupDiGetClassDevsA(NULL, enumerator, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device;
    for (DWORD index = 0;; ++index) {
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(devices, index, &device))
            break;
        char text[1024];
        if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_CLASS, NULL,
                                               (BYTE*)text, sizeof(text), NULL) ||
            !Wanted(enumerator, text))
            continue;
        if (SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_DEVICEDESC, NULL,
                                              (BYTE*)text, sizeof(text), NULL))
            sink += (unsigned char)text[0];
    }
    SetupDiDestroyDeviceInfoList(devices);
}

static void BareDrives()
{
    DWORD present = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (present != 0 && (present & (1u << (letter - 'A'))) == 0)
            continue;
        char root[4] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) != DRIVE_FIXED)
            continue;
        ULARGE_INTEGER freeToCaller, total, totalFree;
        if (!GetDiskFreeSpaceExA(root, &freeToCaller, &total, &totalFree))
            continue;
        char volumeName[128];
        char fileSystemName[128];
        DWORD maximumComponentLength = 0;
        DWORD fileSystemFlags = 0;
        if (GetVolumeInformationA(root, volumeName, sizeof(volumeName), NULL,
                                  &maximumComponentLength, &fileSystemFlags, fileSystemName,
                                  sizeof(fileSystemName)))
            sink += total.QuadPart + (unsigned char)volumeName[0];
    }
}

void RunBareStep(int step)
{
    switch (step) {
    case kStepIdentity: BareIdentity(); break;
    case kStepClock: BareClock(); break;
    case kStepProcessors: BareProcessors(); break;
    case kStepMemory: BareMemory(); break;
    case kStepProcesses: BareProcesses(); break;
    // The three PCI listings share one device set, timed under "display".
    case kStepDisplay: BareBusDevices("PCI"); break;
    case kStepMedia: break;
    case kStepNetwork: break;
    case kStepUsb: BareBusDevices("USB"); break;
    case kStepDrives: BareDrives(); break;
    }
}

void RunBareSweep()
{
    for (int step = 0; step < kBareStepCount; ++step)
        RunBareStep(step);
}

bool ReadWholeFileBare(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static char bytes[128000];
    DWORD got = 0;
    while (ReadFile(file, bytes, sizeof(bytes), &got, NULL) && got > 0)
        sink += (unsigned char)bytes[0];
    CloseHandle(file);
    return true;
}
