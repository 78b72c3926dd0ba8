// One libFuzzer harness over the outside bytes the program reads. The first
// byte picks the reader (its value modulo 3): 0 the snapshot file through
// loading, comparison and the render plan, 1 the marker file's first line,
// 2 a "Shell Folders" registry value. Each checks what holds for any input.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/terms.h"
#include "app/trim_whitespace.h"
#include "links/shell_folders.h"
#include "store/snapshot_file.h"
#include "window/render_plan.h"

static void Require(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "violated: %s\n", what);
        abort();
    }
}

static std::string Trimmed(std::string text) { TrimWhitespace(&text[0]); return text.c_str(); }
static std::string Saved(const char* text) { std::string bytes; EncodeSnapshot(text, bytes); return bytes; }

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
    Require(load.textLength < kStoredTextCapacity && strlen(text.data()) == load.textLength, "text ends at its length");
    return Loaded{text.data(), load.lineCount};
}

// Plans `report` against `stored`, checks what every plan holds and returns
// the changed rows plus the missing ones.
static int32_t CheckPlan(const SnapshotReport& report, const Loaded& stored)
{
    std::vector<int32_t> matched(stored.lineCount, 7);
    RenderPlan plan;
    PlanReportRows(report, StoredSnapshot{stored.text.c_str(), stored.lineCount, matched.data()}, true, plan);
    const int32_t rows = CountReportLines(report.valueText);
    Require(rows == report.iconCount && plan.rowCounter == rows - 1 && plan.rows.size() == (size_t)(rows + plan.missingCount),
            "each report row planned once, then the missing rows");
    int32_t changed = 0, configuration = 0;
    for (int32_t row = 0; row < rows; ++row) {
        const bool isConfiguration = report.rowKinds[row] == RowKindConfiguration;
        const int32_t icon = plan.rows[row].icon, shade = report.iconIndexes[row];
        Require(icon == shade || (isConfiguration && icon == shade + kChangedIconOffset), "shade kept unless changed");
        configuration += isConfiguration ? 1 : 0;
        changed += icon != shade ? 1 : 0;
    }
    const char* text = stored.text.c_str();
    for (size_t row = (size_t)rows; row < plan.rows.size(); ++row) {
        const TextSlice& value = plan.rows[row].value;
        Require(plan.rows[row].icon == kMissingIcon && value.text >= text && value.text + value.length <= text + stored.text.size() &&
                    memchr(value.text, '\n', value.length) == nullptr, "a MISSING row shows one stored line");
    }
    const int32_t taken = (int32_t)std::count(matched.begin(), matched.end(), 1);
    Require(taken + std::count(matched.begin(), matched.end(), 0) == (int64_t)matched.size(), "match flags are 0 or 1");
    Require(changed + taken == configuration, "each configuration row takes one stored line or is marked");
    // Lines counted beyond the scanned stretch of the text are neither.
    const bool scanned = stored.text.size() + stored.lineCount <= kStoredTextCapacity;
    Require(taken + plan.missingCount == (int32_t)stored.lineCount || (!scanned && taken + plan.missingCount < (int32_t)stored.lineCount),
            "each stored line is taken or missing, never both");
    return changed + plan.missingCount;
}

// A report of a computer name row and then the first 64 lines of `text`,
// each a configuration row unless it starts with '#'.
static void BuildReportOf(const std::string& text, SnapshotReport& report)
{
    BeginReport(report);
    AppendRow(report, "COMPUTERNAME", "PC7", "PC7", true, RowKindConfiguration);
    for (size_t at = 0, row = 0; at <= text.size() && row < 64; ++row) {
        const std::string line = text.substr(at, text.find('\n', at) - at);
        const bool information = line[0] == '#';
        AppendRow(report, "ROW", line.c_str(), information ? nullptr : line.c_str(), line.size() % 2 == 1,
                  information ? RowKindInformation : RowKindConfiguration);
        at += line.size() + 1;
    }
    FinishReport(report);
}

// [read size - 1] then the file. The 127999-character limit is left to the
// unit tests: files that long would take most of the fuzzing time.
static void CheckSnapshot(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data) + (size > 0), size - (size > 0));
    const Loaded loaded = Load(bytes, bytes.size() + 1), chunked = Load(bytes, size > 0 ? data[0] % 64 + 1 : 1);
    const std::string& text = loaded.text;
    Require(chunked.text == text && chunked.lineCount == loaded.lineCount, "the same load whatever the read size");
    const uint32_t feeds = (uint32_t)std::count(text.begin(), text.end(), '\n');
    Require(loaded.lineCount >= feeds + (!text.empty() && text.back() != '\n'), "every line of the text counted");
    Require(SnapshotTextsEqual(Load(Saved(text.c_str()), 4096).text.c_str(), text.c_str()), "saved text reads back unchanged");

    SnapshotReport report{};
    BuildReportOf(text, report);
    CheckPlan(report, loaded);
    if (strlen(report.recordText.text) < kStoredTextCapacity - 1)
        Require(CheckPlan(report, Load(Saved(report.recordText.text), 4096)) == 0, "the report's own snapshot shows no change");
    FreeReport(report);
}

// The line, then after a NUL the caption (without one, the program's own).
static void CheckMarker(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = std::min(input.find('\0'), size);
    const std::string line = input.substr(0, nul);
    const std::string caption = nul < size ? input.c_str() + nul + 1 : "Tallyview-ZezedazUrod v1.4.0.0";
    char sentence[1024];
    ComposeAcceptanceSentence(caption.c_str(), sentence, sizeof(sentence));
    const std::string s = sentence;
    // Checked against TrimWhitespace, which trims the same three blanks its own way.
    for (const std::string& l : {line, line + s})
        Require(MarkerAcceptsTerms(l.c_str(), sentence) == (Trimmed(l).compare(0, s.size() - 1, s, 0, s.size() - 1) == 0),
                "accepted when the trimmed line starts with the sentence less its stop");
    Require(MarkerAcceptsTerms((" \t\n" + s + line).c_str(), sentence), "the written sentence, with blanks before and text after, is accepted");
    Require(!MarkerAcceptsTerms(s.substr(0, s.size() - 2).c_str(), sentence), "one more character short is refused");
}

// [bit 0: the query succeeded; bits 1-2: the type] [Quick Launch cut: 0 none (a plain
// folder), 1 the user's, 2 the machine's, else that many] [byte count / 2; 255: the
// value's own length] then the value.
static void CheckShellFolder(const uint8_t* data, size_t size)
{
    if (size < 3)
        return;
    const bool read = (data[0] & 1) != 0;
    const uint32_t type = (data[0] >> 1) & 3;
    const size_t cut = data[1] == 1 ? kUserQuickLaunchCut : data[1] == 2 ? kMachineQuickLaunchCut : data[1];
    std::vector<char> buffer(kShellFolderValueSize, (char)0xA5);
    const size_t length = std::min(size - 3, buffer.size());
    memcpy(buffer.data(), data + 3, length);
    const uint32_t count = data[2] == 255 ? (uint32_t)length : 2u * data[2];
    ShellFolderLocation location{"C:\\Earlier", 7};
    ApplyShellFolderValue(read, type, buffer.data(), count, cut, location);

    const std::string text = Trimmed(std::string(buffer.data(), std::min<size_t>(count, buffer.size())));
    Require(location.found == (read && type == kRegistryStringType && text.size() > 1), "found for a read plain value of two or more characters");
    if (location.found == 0) {
        Require(memcmp(location.path, ShellFolderLocation{"C:\\Earlier", 7}.path, kShellFolderPathSize) == 0, "not found: the path as it was");
        return;
    }
    std::string folder = cut == 0 ? text : text.substr(0, cut);
    if (cut != 0)
        folder += (folder.back() == '\\' ? "" : "\\") + std::string(kQuickLaunchSuffix);
    Require(location.path == folder, "the trimmed value, or its cut and the Quick Launch suffix");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static void (*const kReaders[])(const uint8_t*, size_t) = {CheckSnapshot, CheckMarker, CheckShellFolder};
    if (size > 0)
        kReaders[data[0] % 3](data + 1, size - 1);
    return 0;
}
