// GetInformation against the same platform queries made bare, in one process,
// timed with QueryPerformanceCounter. The two alternate round by round (which
// goes first alternates too), so that a slow spell of the machine hits both.
//
// Usage: sweep_bench [rounds]. Prints "key value" lines for scripts/bench:
// medians in microseconds, the median of the per-round ratios, and each
// step's share of the bare sweep.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/app_state_win.h"
#include "bare_sweep_win.h"
#include "snapshot/sweep.h"
#include "snapshot/sweep_win.h"

static LARGE_INTEGER frequency;

static double NowMicroseconds()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1e6 / (double)frequency.QuadPart;
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
    FreeSweepFigures(figures);
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
        printf("step %s %.1f %.1f\n", kBareStepNames[step], stepMedians[step],
               stepSum > 0 ? 100.0 * stepMedians[step] / stepSum : 0.0);
    FreeReport(appState.report);
    return 0;
}
