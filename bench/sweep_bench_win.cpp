// GetInformation against the same platform queries made bare, in one process,
// timed with QueryPerformanceCounter. The two alternate round by round (which
// goes first alternates too), so that a slow spell of the machine hits both.
//
// Usage: sweep_bench [rounds]. Prints "key value" lines for scripts/bench:
// medians in microseconds, the median of the per-round ratios, and each
// step's share of the bare sweep.

#include <windows.h>
#include <psapi.h>
#include <setupapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/app_state_win.h"
#include "snapshot/machine_rows.h"
#include "snapshot/sweep.h"
#include "snapshot/sweep_win.h"

static LARGE_INTEGER frequency;

static double NowMicroseconds()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1e6 / (double)frequency.QuadPart;
}

// The steps of the bare sweep, in the order the program queries them.
enum BareStep {
    kStepIdentity,
    kStepClock,
    kStepProcessors,
    kStepMemory,
    kStepProcesses,
    kStepDisplay,
    kStepMedia,
    kStepNetwork,
    kStepUsb,
    kStepDrives,
    kBareStepCount
};

static const char* const kStepNames[kBareStepCount] = {
    "identity", "clock", "processors", "memory", "processes",
    "display",  "media", "network",    "usb",    "drives"};

// Results land here so that the compiler keeps every query.
static volatile unsigned long long sink;

static void BareIdentity()
{
    char name[1024];
    DWORD size = sizeof(name);
    if (GetUserNameA(name, &size))
        sink += size;
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
                                               (BYTE*)text, sizeof(text), NULL))
            continue;
        bool wanted = false;
        for (const DeviceQuery& query : kDeviceQueries)
            wanted = wanted || (strcmp(query.enumerator, enumerator) == 0 &&
                                DeviceIsSelected(text, query));
        if (!wanted)
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
        if (!SHGetDiskFreeSpaceExA(root, &freeToCaller, &total, &totalFree))
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

static void RunBareStep(int step)
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

// The bare sweep, each step timed; returns the whole.
static double TimeBareSweep(double* stepTimes)
{
    double start = NowMicroseconds();
    double mark = start;
    for (int step = 0; step < kBareStepCount; ++step) {
        RunBareStep(step);
        double now = NowMicroseconds();
        stepTimes[step] = now - mark;
        mark = now;
    }
    return mark - start;
}

static double TimeGetInformation()
{
    double start = NowMicroseconds();
    if (!GetInformation()) {
        fprintf(stderr, "GetInformation failed\n");
        exit(2);
    }
    return NowMicroseconds() - start;
}

// The program's sweep in its two halves: the queries into figures, then the
// rows built from them.
static void TimeProgramHalves(double& gather, double& build)
{
    SweepFigures figures = SweepFigures();
    double start = NowMicroseconds();
    GatherSweepFigures(figures);
    double middle = NowMicroseconds();
    SnapshotReport report = SnapshotReport();
    RunningExtremes extremes = InitialExtremes();
    if (!BuildReport(figures, extremes, report)) {
        fprintf(stderr, "BuildReport failed\n");
        exit(2);
    }
    build = NowMicroseconds() - middle;
    gather = middle - start;
    FreeReport(report);
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 100;
    if (rounds < 1)
        rounds = 100;
    QueryPerformanceFrequency(&frequency);
    InitializeAppState(GetModuleHandleA(NULL));

    // Warm caches and the registry before anything counts.
    double warmSteps[kBareStepCount];
    for (int i = 0; i < 3; ++i) {
        TimeGetInformation();
        TimeBareSweep(warmSteps);
    }

    std::vector<double> program, bare, ratio, gather, build;
    std::vector<double> steps[kBareStepCount];
    for (int round = 0; round < rounds; ++round) {
        double stepTimes[kBareStepCount];
        double programTime, bareTime;
        if (round % 2 == 0) {
            programTime = TimeGetInformation();
            bareTime = TimeBareSweep(stepTimes);
        } else {
            bareTime = TimeBareSweep(stepTimes);
            programTime = TimeGetInformation();
        }
        program.push_back(programTime);
        bare.push_back(bareTime);
        ratio.push_back(programTime / bareTime);
        for (int step = 0; step < kBareStepCount; ++step)
            steps[step].push_back(stepTimes[step]);
        double gatherTime, buildTime;
        TimeProgramHalves(gatherTime, buildTime);
        gather.push_back(gatherTime);
        build.push_back(buildTime);
    }

    printf("rounds %d\n", rounds);
    printf("getinformation_us %.1f\n", Median(program));
    printf("bare_us %.1f\n", Median(bare));
    printf("ratio %.3f\n", Median(ratio));
    printf("gather_us %.1f\n", Median(gather));
    printf("build_report_us %.1f\n", Median(build));
    double stepSum = 0;
    double stepMedians[kBareStepCount];
    for (int step = 0; step < kBareStepCount; ++step) {
        stepMedians[step] = Median(steps[step]);
        stepSum += stepMedians[step];
    }
    for (int step = 0; step < kBareStepCount; ++step)
        printf("step %s %.1f %.1f\n", kStepNames[step], stepMedians[step],
               stepSum > 0 ? 100.0 * stepMedians[step] / stepSum : 0.0);
    FreeReport(appState.report);
    return 0;
}
