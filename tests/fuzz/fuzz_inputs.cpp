// One libFuzzer harness over the outside bytes the program reads. The first
// byte picks the reader (its value modulo 3): 0 the snapshot file through
// loading, the conversion of an earlier build's lines, comparison and the
// render plan, 1 the marker file's first line, 2 a "Shell Folders" registry
// value. Each checks what holds for any input.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/terms.h"
#include "common/trim_whitespace.h"
#include "links/shell_folders.h"
#include "unit/latin1_lines.h"
#include "store/snapshot_file.h"
#include "window/render_plan.h"

// Checked in every build type (unlike assert); a failure names the condition.
#define REQUIRE(holds) ((holds) ? (void)0 : (fprintf(stderr, "violated: %s\n", #holds), abort()))

static std::string Trimmed(std::string text) { TrimWhitespace(&text[0]); return text.c_str(); }
static std::string Sentence(const char* caption) { char text[1024]; ComposeAcceptanceSentence(caption, text, sizeof(text)); return text; }

struct Loaded { std::string text; uint32_t lineCount; };

// Loads `bytes`, `chunk` at a time, into a buffer of exactly the capacity.
static Loaded Load(const std::string& bytes, size_t chunk)
{
    static std::vector<char> text(kStoredTextCapacity);
    std::fill(text.begin(), text.begin() + std::min(text.size(), bytes.size() + 2), 'Z');  // as far as a text can reach
    SnapshotLoad load;
    BeginSnapshotLoad(text.data(), load);
    for (size_t at = 0; at < bytes.size() && !load.finished; at += chunk)
        FeedSnapshotBytes(bytes.data() + at, std::min(chunk, bytes.size() - at), load);
    EndSnapshotLoad(load);
    // The text ends at its length.
    REQUIRE(load.textLength < kStoredTextCapacity && strlen(text.data()) == load.textLength);
    return Loaded{text.data(), load.lineCount};
}
static Loaded Reloaded(const char* text)
{
    ItemList<char> bytes{};
    REQUIRE(EncodeSnapshot(text, bytes));
    const std::string saved(bytes.items, bytes.count);
    FreeItems(bytes);
    return Load(saved, 4096);
}

// Plans `report` against `stored`, checks what every plan holds and returns
// the changed rows plus the missing ones.
static int32_t CheckPlan(const SnapshotReport& report, const Loaded& stored)
{
    std::vector<int32_t> matched(stored.lineCount, 7);
    RenderPlan plan{};
    REQUIRE(PlanReportRows(report, StoredSnapshot{stored.text.c_str(), stored.lineCount, matched.data()}, true, plan));
    int32_t rows = CountReportLines(report.valueText), lines = (int32_t)stored.lineCount, changed = 0;
    // Each report row planned once, then the missing rows.
    REQUIRE(rows == report.iconCount && plan.rowCounter == rows - 1 && plan.rows.count == (size_t)(rows + plan.missingCount));
    for (int32_t row = 0; row < rows; ++row) {
        const int32_t icon = plan.rows.items[row].icon, shade = report.iconIndexes[row], kind = report.rowKinds[row];
        REQUIRE(icon == shade || (kind == RowKindConfiguration && icon == shade + kChangedIconOffset));  // the shade kept unless changed
        changed += icon != shade;
    }
    // A MISSING row shows one stored line.
    for (const PlannedRow& missing : std::vector<PlannedRow>(plan.rows.items + rows, plan.rows.items + plan.rows.count)) {
        const char *shown = missing.value.text, *end = shown + missing.value.length, *text = stored.text.c_str();
        REQUIRE(missing.icon == kMissingIcon && shown >= text && end <= text + stored.text.size() && std::find(shown, end, '\n') == end);
    }
    // Match flags are 0 or 1; each configuration row takes one stored line or is marked changed; each stored line
    // is taken or missing, never both, except that lines counted beyond the scanned stretch of the text are neither.
    const int32_t taken = (int32_t)std::count(matched.begin(), matched.end(), 1), seen = taken + plan.missingCount;
    REQUIRE(taken + std::count(matched.begin(), matched.end(), 0) == lines);
    REQUIRE(changed + taken == std::count(report.rowKinds, report.rowKinds + rows, RowKindConfiguration));
    REQUIRE(seen == lines || (seen < lines && stored.text.size() + lines > kStoredTextCapacity));
    FreeRenderPlan(plan);
    return changed + plan.missingCount;
}

// [read size - 1] then the file. The 127999-character limit is left to the
// unit tests: files that long would take most of the fuzzing time.
static void CheckSnapshot(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data) + (size > 0), size - (size > 0));
    const Loaded loaded = Load(bytes, bytes.size() + 1), chunked = Load(bytes, size > 0 ? data[0] % 64 + 1 : 1);
    const std::string& text = loaded.text;
    // The same load whatever the read size; every line of the text counted; the saved text reads back unchanged.
    REQUIRE(chunked.text == text && chunked.lineCount == loaded.lineCount);
    REQUIRE(loaded.lineCount >= std::count(text.begin(), text.end(), '\n') + (!text.empty() && text.back() != '\n'));
    REQUIRE(SnapshotTextsEqual(Reloaded(text.c_str()).text.c_str(), text.c_str()));
    // Converted from a legacy code page: UTF-8 line for line, left as it is when converted again.
    const std::string converted = Latin1Converted(text), utf8 = converted.substr(0, converted.size() - 1);
    REQUIRE(converted.size() <= kStoredTextCapacity && converted.back() == '\0' && IsValidUtf8(utf8.data(), utf8.size()) && Latin1Converted(utf8) == converted);
    REQUIRE(std::count(utf8.begin(), utf8.end(), '\n') == std::count(text.begin(), text.end(), '\n'));
    // A report of a computer name row and then the first 64 lines of the text,
    // each a configuration row unless it starts with '#'.
    SnapshotReport report{};
    BeginReport(report);
    AppendRow(report, "COMPUTERNAME", "PC7", "PC7", true, RowKindConfiguration);
    for (size_t at = 0, row = 0; at <= text.size() && row < 64; ++row) {
        const std::string line = text.substr(at, text.find('\n', at) - at);
        const int32_t kind = line[0] == '#' ? RowKindInformation : RowKindConfiguration;
        AppendRow(report, "ROW", line.c_str(), kind == RowKindConfiguration ? line.c_str() : nullptr, line.size() % 2 == 1, kind);
        at += line.size() + 1;
    }
    FinishReport(report);
    CheckPlan(report, loaded);
    // The report's own snapshot, where it fits, shows no change.
    REQUIRE(strlen(report.recordText.text) >= kStoredTextCapacity - 1 || CheckPlan(report, Reloaded(report.recordText.text)) == 0);
    FreeReport(report);
}

// The line, then after a NUL the caption (without one, the program's own).
static void CheckMarker(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size), line = input.substr(0, input.find('\0'));
    const std::string s = Sentence(line.size() < size ? input.c_str() + line.size() + 1 : "Tallyview-ZezedazUrod v1.4.0.0");
    // Accepted when the trimmed line starts with the sentence less its stop, checked against TrimWhitespace, which
    // trims the same three blanks its own way. Besides the line: the line with the sentence after it, the sentence
    // with blanks before it and the line after it (accepted), and the sentence one more character short (refused).
    for (const std::string& l : {line, line + s, " \t\n" + s + line, s.substr(0, s.size() - 2)})
        REQUIRE(MarkerAcceptsTerms(l.c_str(), s.c_str()) == (Trimmed(l).compare(0, s.size() - 1, s, 0, s.size() - 1) == 0));
}

// [bit 0: the query succeeded; bits 1-2: the type] [Quick Launch cut: 0 none (a plain
// folder), 1 the user's, 2 the machine's, else that many] [byte count / 2; 255: the
// value's own length] then the value.
static void CheckShellFolder(const uint8_t* data, size_t size)
{
    if (size < 3) return;
    const uint32_t read = data[0] & 1, type = (data[0] >> 1) & 3;
    const size_t cut = data[1] == 1 ? kUserQuickLaunchCut : data[1] == 2 ? kMachineQuickLaunchCut : data[1];
    std::vector<char> buffer(kShellFolderValueSize, (char)0xA5);
    const uint32_t count = data[2] == 255 ? (uint32_t)std::min(size - 3, buffer.size()) : 2u * data[2];
    memcpy(buffer.data(), data + 3, std::min(size - 3, buffer.size()));
    ShellFolderLocation earlier{"C:\\Earlier", 7}, location = earlier;
    ApplyShellFolderValue(read, type, buffer.data(), count, cut, location);
    // Found for a read plain value of two or more characters: then the trimmed value, or its cut and the Quick
    // Launch suffix; not found, the path as it was.
    const std::string text = Trimmed(std::string(buffer.data(), std::min<size_t>(count, buffer.size())));
    REQUIRE(location.found == (read && type == kRegistryStringType && text.size() > 1));
    const std::string head = text.substr(0, cut == 0 ? std::string::npos : cut);
    const std::string path = cut == 0 || head.empty() ? head : head + (head.back() == '\\' ? "" : "\\") + kQuickLaunchSuffix;
    REQUIRE(location.found ? location.path == path : memcmp(location.path, earlier.path, kShellFolderPathSize) == 0);
}

static void (*const kReaders[])(const uint8_t*, size_t) = {CheckSnapshot, CheckMarker, CheckShellFolder};
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { if (size > 0) kReaders[*data % 3](data + 1, size - 1); return 0; }
