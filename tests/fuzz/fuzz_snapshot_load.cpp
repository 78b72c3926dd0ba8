// Loads any file bytes as the snapshot, fed in chunks of a size the input
// picks, and plans the list of a few fixed reports against what was loaded.
//
// Input: [chunk size] [start] then the file bytes. A start byte of 0xFF or
// 0xFD puts a fixed run of bytes in front of them, so that they meet the
// limits of the loaded text without huge inputs: 0xFF a long line that they
// continue, 0xFD a long line ended by CR LF, so that they start a new read
// just short of the limit. The run is fed once and its state reused.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "snapshot/snapshot_report.h"
#include "store/snapshot_file.h"
#include "window/render_plan.h"

static const size_t kTextLimit = kStoredTextCapacity - 1;
// Past this many stored lines the flags alone would be a large block; such
// files are loaded and checked but not planned.
static const uint32_t kPlannedLineLimit = 200000;
// Chunk size of the program's own file reads.
static const size_t kGlueChunk = 16384;

static void Require(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "violated: %s\n", what);
        abort();
    }
}

struct Loaded {
    std::string text;
    uint32_t lineCount;
};

// Where a load begins: the bytes fed before the input's own, the reader's
// state after them, and what the rule says they give.
struct LoadStart {
    std::string bytes;
    std::vector<char> buffer;  // prefilled past the text, so a missing terminator shows
    SnapshotLoad load;
    Loaded expected;
    size_t openRead;  // characters of a read the bytes leave unfinished
};

static LoadStart MakeStart(const std::string& bytes, const Loaded& expected, size_t openRead)
{
    LoadStart start;
    start.bytes = bytes;
    start.buffer.assign(kStoredTextCapacity, 'Z');
    BeginSnapshotLoad(start.buffer.data(), start.load);
    FeedSnapshotBytes(bytes.data(), bytes.size(), start.load);
    start.expected = expected;
    start.openRead = openRead;
    Require(!start.load.finished && start.load.textLength == expected.text.size() &&
                start.load.lineCount == expected.lineCount &&
                start.load.readLength == openRead &&
                memcmp(start.buffer.data(), expected.text.data(), expected.text.size()) == 0,
            "a start run loads as the rule says");
    return start;
}

// Loads the input's bytes after a start through the real reader, into a
// buffer of exactly the capacity so that an overrun hits the sanitizer.
static Loaded Load(const LoadStart& start, const char* bytes, size_t size, size_t chunk)
{
    static std::vector<char> buffer(kStoredTextCapacity);
    memcpy(buffer.data(), start.buffer.data(), buffer.size());
    SnapshotLoad load = start.load;
    load.storedText = buffer.data();
    for (size_t at = 0; at < size && !load.finished; at += chunk)
        FeedSnapshotBytes(bytes + at, size - at < chunk ? size - at : chunk, load);
    EndSnapshotLoad(load);
    Require(load.finished, "loading ends finished");
    Require(load.textLength <= kTextLimit, "text length within 127999");
    Require(buffer[load.textLength] == '\0', "text is NUL-terminated at its length");
    Require(strlen(buffer.data()) == load.textLength, "no NUL inside the text");
    return Loaded{std::string(buffer.data(), load.textLength), load.lineCount};
}

// The same rule written read by read: CR LF becomes LF over the whole file,
// each read ends after a line feed or at 127999 characters, and keeps its
// characters up to its first NUL while the text has room.
static Loaded ReferenceLoad(const LoadStart& start, const char* bytes, size_t size)
{
    std::string stream;
    stream.reserve(size);
    for (size_t at = 0; at < size;) {
        const char* cr = static_cast<const char*>(memchr(bytes + at, '\r', size - at));
        size_t end = cr != nullptr ? (size_t)(cr - bytes) : size;
        stream.append(bytes + at, end - at);
        if (cr == nullptr)
            break;
        bool pair = end + 1 < size && bytes[end + 1] == '\n';
        stream += pair ? '\n' : '\r';
        at = end + (pair ? 2 : 1);
    }
    Loaded loaded = start.expected;
    size_t open = start.openRead;
    size_t at = 0;
    while (at < stream.size() && loaded.text.size() < kTextLimit) {
        size_t span = stream.size() - at < kTextLimit - open ? stream.size() - at
                                                             : kTextLimit - open;
        const char* read = stream.data() + at;
        const char* feed = static_cast<const char*>(memchr(read, '\n', span));
        size_t readLength = feed != nullptr ? (size_t)(feed - read) + 1 : span;
        size_t kept = strnlen(read, readLength);
        size_t room = kTextLimit - loaded.text.size();
        loaded.text.append(read, kept < room ? kept : room);
        ++loaded.lineCount;
        at += readLength;
        open = 0;
    }
    // A read left open by the start and not continued ends with the file.
    if (open > 0)
        ++loaded.lineCount;
    return loaded;
}

static size_t CountLineFeeds(const char* text, size_t length)
{
    size_t count = 0;
    const char* end = text + length;
    for (const char* at = text; at < end; ++at) {
        at = static_cast<const char*>(memchr(at, '\n', (size_t)(end - at)));
        if (at == nullptr)
            break;
        ++count;
    }
    return count;
}

struct FixedReport {
    SnapshotReport report;
    int32_t configurationRows;
};

static void AddRow(FixedReport& fixed, const char* label, const char* value, const char* record,
                   bool alternate)
{
    int32_t kind = record != nullptr ? RowKindConfiguration : RowKindInformation;
    Require(AppendRow(fixed.report, label, value, record, alternate, kind), "fixed report grows");
    fixed.configurationRows += kind == RowKindConfiguration;
}

// A sweep as the program makes it, one ending in a device without a
// description, one whose only record line is empty, and one with no record.
// Plain static storage, never freed, so the leak check at exit sees them
// still reachable.
static const size_t kFixedReportCount = 4;
static FixedReport fixedReports[kFixedReportCount];

static void BuildFixedReports()
{
    static bool built = false;
    if (built)
        return;
    built = true;
    FixedReport* reports = fixedReports;
    for (FixedReport& fixed : fixedReports) {
        fixed = FixedReport{};
        BeginReport(fixed.report);
    }
    AddRow(reports[0], "USERNAME", "alice", nullptr, true);
    AddRow(reports[0], "COMPUTERNAME", "PC7", "PC7", true);
    AddRow(reports[0], "CPU", "Example CPU [@~2993MHz]", "Example CPU [@~2993MHz]", false);
    AddRow(reports[0], "CPU", "Example CPU [@~2993MHz]", "Example CPU [@~2993MHz]", false);
    SwitchShade(reports[0].report);
    AddRow(reports[0], "RAM", "2.00 GB", " 2048 MB\t", true);
    AddRow(reports[0], "DRIVE", "C: 10.0 GB", "C: [10.0 GB]", false);

    AddRow(reports[1], "COMPUTERNAME", "PC7", "PC7", true);
    AddRow(reports[1], "DISPLAY", "Example Adapter", "Example Adapter", false);
    // A device without a description, last: its record line is empty.
    AddRow(reports[1], "SOUND", "", "", false);

    AddRow(reports[2], "DISPLAY", "Example Adapter", "", false);

    AddRow(reports[3], "USERNAME", "alice", nullptr, true);
    AddRow(reports[3], "UPTIME", "1 Day", nullptr, true);
    for (FixedReport& fixed : fixedReports) {
        FinishReport(fixed.report);
        Require(CountReportLines(fixed.report.valueText) == fixed.report.iconCount,
                "one value line per row of a fixed report");
    }
}

static bool Within(const TextSlice& slice, const char* text, size_t length)
{
    return slice.text >= text && slice.length <= length &&
           slice.text - text <= (ptrdiff_t)(length - slice.length);
}

// Checks one plan made with comparing against `stored`.
static void CheckComparedPlan(const FixedReport& fixed, const Loaded& loaded,
                              const StoredSnapshot& stored, const RenderPlan& plan)
{
    const SnapshotReport& report = fixed.report;
    const int32_t reportRows = CountReportLines(report.valueText);
    Require(plan.missingCount >= 0 && (uint32_t)plan.missingCount <= loaded.lineCount,
            "missingCount within the stored line count");
    Require(plan.rows.size() == (size_t)reportRows + (size_t)plan.missingCount,
            "planned rows = report rows + missingCount");
    Require(plan.rowCounter == (reportRows > 0 ? reportRows - 1 : 0), "rowCounter");

    const char* valueText = report.valueText.text != nullptr ? report.valueText.text : "";
    int32_t changed = 0;
    for (int32_t row = 0; row < reportRows; ++row) {
        const PlannedRow& planned = plan.rows[(size_t)row];
        Require(Within(planned.value, valueText, strlen(valueText)), "value inside the report");
        Require(memchr(planned.value.text, '\n', planned.value.length) == nullptr,
                "one line per value");
        int32_t shade = report.iconIndexes[row];
        bool configuration = report.rowKinds[row] == RowKindConfiguration;
        if (planned.icon == shade + kChangedIconOffset && configuration)
            ++changed;
        else
            Require(planned.icon == shade, "a row keeps its shade unless it changed");
    }

    size_t textLength = loaded.text.size();
    const char* text = stored.storedText;
    const char* previous = text;
    for (size_t r = (size_t)reportRows; r < plan.rows.size(); ++r) {
        const PlannedRow& missing = plan.rows[r];
        Require(missing.icon == kMissingIcon, "MISSING rows have the missing icon");
        Require(missing.label.length == 7 && memcmp(missing.label.text, "MISSING", 7) == 0,
                "MISSING label");
        Require(Within(missing.value, text, textLength), "MISSING value inside the stored text");
        const char* start = missing.value.text;
        const char* end = start + missing.value.length;
        Require(start >= previous, "MISSING rows in stored order");
        previous = start;
        Require(memchr(start, '\n', missing.value.length) == nullptr, "one line per MISSING row");
        Require(start == text || start[-1] == '\n' || start == text + textLength,
                "a MISSING row starts a stored line");
        Require(end == text + textLength || *end == '\n', "a MISSING row ends a stored line");
    }

    uint32_t matched = 0;
    if (stored.storedLineMatched != nullptr) {
        for (uint32_t m = 0; m < loaded.lineCount; ++m) {
            Require(stored.storedLineMatched[m] == 0 || stored.storedLineMatched[m] == 1,
                    "match flags are 0 or 1");
            matched += (uint32_t)stored.storedLineMatched[m];
        }
    }
    Require(changed + (int32_t)matched == fixed.configurationRows,
            "each configuration row takes one stored line or shows a change");
    Require(matched + (uint32_t)plan.missingCount <= loaded.lineCount,
            "a stored line is matched or missing, not both");
    // Within the scanned stretch every stored line is either.
    if (textLength + loaded.lineCount <= kStoredTextCapacity)
        Require(matched + (uint32_t)plan.missingCount == loaded.lineCount,
                "every stored line is matched or missing");

    // The snapshot saved from this very report shows no change. (With no
    // record line at all the file still holds one empty line.)
    const char* record = report.recordText.text;
    if (stored.storedLineMatched != nullptr && SnapshotTextsEqual(record, loaded.text.c_str()) &&
        loaded.lineCount == CountLineFeeds(text, textLength) + 1 &&
        loaded.lineCount == (uint32_t)fixed.configurationRows) {
        Require(changed == 0, "an unchanged snapshot marks no row");
        Require(plan.missingCount == 0, "an unchanged snapshot lists nothing missing");
    }
}

static void PlanAgainst(const FixedReport& fixed, const Loaded& loaded)
{
    const SnapshotReport& report = fixed.report;
    const int32_t reportRows = CountReportLines(report.valueText);
    std::vector<int32_t> flags(loaded.lineCount, 7);
    StoredSnapshot stored{loaded.text.c_str(), loaded.lineCount,
                          loaded.lineCount > 0 ? flags.data() : nullptr};
    RenderPlan plan;
    PlanReportRows(report, stored, true, plan);
    CheckComparedPlan(fixed, loaded, stored, plan);

    // Without flags nothing is matched: every configuration row is marked.
    StoredSnapshot unflagged{loaded.text.c_str(), loaded.lineCount, nullptr};
    PlanReportRows(report, unflagged, true, plan);
    CheckComparedPlan(fixed, loaded, unflagged, plan);

    // Without comparing the rows keep their shades and nothing is missing.
    PlanReportRows(report, stored, false, plan);
    Require(plan.missingCount == 0, "nothing missing without comparing");
    Require(plan.rows.size() == (size_t)reportRows, "only report rows without comparing");
    for (int32_t row = 0; row < reportRows; ++row)
        Require(plan.rows[(size_t)row].icon == report.iconIndexes[row],
                "shades only without comparing");
}

static const LoadStart& PickStart(uint8_t selector)
{
    static const std::string kLongLine(kTextLimit - 40, 'x');
    static const std::string kFullLine(kTextLimit - 41, 'x');
    static const LoadStart fresh = MakeStart("", Loaded{"", 0}, 0);
    static const LoadStart longLine = MakeStart(kLongLine, Loaded{kLongLine, 0}, kLongLine.size());
    static const LoadStart fullLine = MakeStart(kFullLine + "\r\n", Loaded{kFullLine + "\n", 1}, 0);
    return selector == 0xFF ? longLine : selector == 0xFD ? fullLine : fresh;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t chunk = size > 0 ? (data[0] == 0xFF ? kGlueChunk : (size_t)data[0] + 1) : 1;
    const LoadStart& start = PickStart(size > 1 ? data[1] : 0);
    const char* bytes = size > 2 ? reinterpret_cast<const char*>(data) + 2 : "";
    const size_t byteCount = size > 2 ? size - 2 : 0;

    Loaded chunked = Load(start, bytes, byteCount, chunk);
    Loaded whole = Load(start, bytes, byteCount, byteCount > 0 ? byteCount : 1);
    Require(chunked.text == whole.text, "same text whatever the chunk size");
    Require(chunked.lineCount == whole.lineCount, "same line count whatever the chunk size");

    Loaded expected = ReferenceLoad(start, bytes, byteCount);
    Require(chunked.text == expected.text, "text as read line by line in text mode");
    Require(chunked.lineCount == expected.lineCount, "one line per read");

    const std::string& text = chunked.text;
    size_t feeds = CountLineFeeds(text.data(), text.size());
    bool openLastLine = !text.empty() && text.back() != '\n';
    Require(chunked.lineCount >= feeds + (openLastLine ? 1 : 0),
            "every line of the text was counted");

    // What is saved from the loaded text reads back unchanged. The start's
    // own text saves as its bytes, so only the rest is encoded and fed.
    const std::string& startText = start.expected.text;
    Require(text.compare(0, startText.size(), startText) == 0, "the start's text stays");
    std::string saved;
    EncodeSnapshot(text.c_str() + startText.size(), saved);
    Loaded again = Load(start, saved.data(), saved.size(), chunk);
    Require(again.text == text, "saved text reads back unchanged");
    bool fullEndingInFeed = text.size() == kTextLimit && text.back() == '\n';
    Require(again.lineCount == feeds + (fullEndingInFeed ? 0 : 1),
            "saved text reads back with one line per line");

    Require(SnapshotTextsEqual(text.c_str(), again.text.c_str()), "equal to itself");
    Require(SnapshotTextsEqual(nullptr, text.c_str()) == text.empty(),
            "an absent record equals only the empty text");

    BuildFixedReports();
    for (const FixedReport& fixed : fixedReports) {
        const char* record = fixed.report.recordText.text;
        bool same = SnapshotTextsEqual(record, text.c_str());
        Require(same == SnapshotTextsEqual(text.c_str(), record), "comparison is symmetric");
        Require(same == (text == (record != nullptr ? record : "")),
                "equal exactly when the bytes are equal");
        if (chunked.lineCount <= kPlannedLineLimit)
            PlanAgainst(fixed, chunked);
    }
    return 0;
}
