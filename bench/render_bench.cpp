// The render plan against stored snapshots of 30, 1000 and 10000 lines, with
// 30 and 200 configuration rows. Half the rows find their line (spread over
// the whole snapshot), half are changed and walk every stored line, which is
// the worst a render meets. The counters say how many line pairs and bytes
// the comparison touches, so that the time can be read per unit of work: it
// must follow those, not the 128000-byte capacity of the loaded text.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "snapshot/snapshot_report.h"
#include "window/render_plan.h"

namespace {

const size_t kStoredTextLimit = 127999;

// Every stored line has the same length, as long as the loaded text allows:
// 10000 lines leave room for 11 characters and a line feed each.
size_t StoredLineLength(size_t lines)
{
    size_t fit = kStoredTextLimit / lines - 1;
    return fit < 47 ? fit : 47;
}

std::string MakeLine(char tag, size_t index, size_t length)
{
    char head[32];
    snprintf(head, sizeof(head), "%c%06zu", tag, index);
    std::string line(head);
    line.resize(length, 'x');
    return line;
}

struct Scenario {
    std::vector<std::string> storedLines;
    std::string storedText;
    std::vector<std::string> records;  // one per configuration row
    double linePairs = 0;              // stored lines each row walks, summed
    double bytesCompared = 0;          // bytes those walks compare at most
};

Scenario MakeScenario(size_t lines, size_t rows)
{
    Scenario scenario;
    size_t length = StoredLineLength(lines);
    for (size_t m = 0; m < lines; ++m) {
        scenario.storedLines.push_back(MakeLine('L', m, length));
        if (m > 0)
            scenario.storedText += '\n';
        scenario.storedText += scenario.storedLines.back();
    }

    size_t matching = (rows + 1) / 2;
    std::vector<bool> taken(lines, false);
    for (size_t row = 0; row < rows; ++row) {
        if (row % 2 == 1) {
            // Changed: same length, so every walk step compares bytes.
            scenario.records.push_back(MakeLine('C', row, length));
            scenario.linePairs += (double)lines;
            continue;
        }
        size_t m = (row / 2) * lines / matching;
        scenario.records.push_back(scenario.storedLines[m]);
        // A line already taken by an equal row is not matched again: the
        // walk then runs to the end.
        scenario.linePairs += taken[m] ? (double)lines : (double)(m + 1);
        taken[m] = true;
    }
    scenario.bytesCompared = scenario.linePairs * (double)length;
    return scenario;
}

// A finished report as a sweep leaves it: four information rows, then the
// configuration rows in their groups.
void BuildScenarioReport(const Scenario& scenario, SnapshotReport& report)
{
    BeginReport(report);
    AppendRow(report, "USERNAME", "bench", nullptr, true, RowKindInformation);
    AppendRow(report, "DATE&TIME", "2024 January 01 - 00:00", nullptr, true, RowKindInformation);
    AppendRow(report, "UPTIME", "0 days 1 hours 2 minutes", nullptr, true, RowKindInformation);
    AppendRow(report, "PROCESSES", "42 [Min 42 Max 42]", nullptr, true, RowKindInformation);
    for (const std::string& record : scenario.records)
        AppendRow(report, "DEVICE", record.c_str(), record.c_str(), false, RowKindConfiguration);
    FinishReport(report);
}

void BM_PlanReportRows(benchmark::State& state)
{
    const size_t lines = (size_t)state.range(0);
    const size_t rows = (size_t)state.range(1);
    Scenario scenario = MakeScenario(lines, rows);
    SnapshotReport report = SnapshotReport();
    BuildScenarioReport(scenario, report);
    std::vector<int32_t> matched(lines, 0);
    StoredSnapshot stored = {scenario.storedText.c_str(), (uint32_t)lines, matched.data()};

    // The plan must see the scenario as built: the changed rows marked, the
    // stored lines no row took listed as missing.
    RenderPlan check = RenderPlan();
    PlanReportRows(report, stored, true, check);
    const size_t planned = check.rows.count;
    FreeRenderPlan(check);
    size_t unmatched = 0;
    for (int32_t flag : matched)
        unmatched += flag == 0 ? 1 : 0;
    if (check.missingCount != (int32_t)unmatched ||
        planned != 4 + rows + unmatched) {
        state.SkipWithError("the plan does not match the scenario");
        FreeReport(report);
        return;
    }

    for (auto _ : state) {
        RenderPlan plan = RenderPlan();
        PlanReportRows(report, stored, true, plan);
        benchmark::DoNotOptimize(plan.rows.items);
        FreeRenderPlan(plan);
        benchmark::ClobberMemory();
    }

    state.counters["stored_bytes"] = (double)scenario.storedText.size();
    state.counters["line_pairs"] = scenario.linePairs;
    state.counters["bytes_compared"] = scenario.bytesCompared;
    FreeReport(report);
}

}  // namespace

BENCHMARK(BM_PlanReportRows)
    ->ArgsProduct({{30, 1000, 10000}, {30, 200}})
    ->ArgNames({"lines", "rows"})
    ->Unit(benchmark::kMicrosecond);
