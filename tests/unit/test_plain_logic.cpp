// The plain logic, natively under the sanitizers. Each TEST walks one table of
// cases: rows of (name, what the code gave for the row's input, what it must
// give). Outputs go into buffers of exactly their size, so that an overrun
// trips the address sanitizer. What a user sees whole (the referrer page, the
// box texts, the snapshot file of this machine, the labels and icons) is also
// pinned end to end; the rows here are its boundaries and parts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/place_window.h"
#include "common/window_dpi.h"
#include "app/terms.h"
#include "failing_allocator.h"
#include "latin1_lines.h"
#include "links/link_paths.h"
#include "links/shell_folders.h"
#include "options/donation.h"
#include "options/referrer_page.h"
#include "snapshot/row_text.h"
#include "snapshot/sweep.h"
#include "store/history.h"
#include "store/legacy_lines.h"
#include "store/snapshot_file.h"
#include "window/dpi_change.h"
#include "window/render_plan.h"

using namespace std::string_literals;

struct Case { const char* name; std::string actual, expected; };

// gtest prints both texts escaped, so the bytes that differ show.
void ExpectCases(const std::vector<Case>& cases) { for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name; }

std::string YesNo(bool value) { return value ? "yes" : "no"; }

// What `format(inputs..., out, size)` leaves in a buffer of exactly `size`
// bytes: its text, or, when it reports a refusal, what the refusal leaves.
template <typename Format, typename... Inputs> std::string Out(size_t size, Format format, Inputs&&... inputs)
{
    std::vector<char> out(size, 'Z');
    if constexpr (std::is_void_v<std::invoke_result_t<Format, Inputs..., char*, size_t>>)
        return format(inputs..., out.data(), size), std::string(out.data());
    else
        return format(inputs..., out.data(), size) ? out.data() : "<refused:" + std::string(out.data()) + ">";
}

// `count` numbers, each followed by `separator`; Fields lists those of a record
// of int32_t fields (a rectangle, a layout).
std::string Entries(const int32_t* entries, size_t count, const char* separator = " ")
{
    return count == 0 ? "" : Entries(entries, count - 1, separator) + std::to_string(entries[count - 1]) + separator;
}
template <typename R> std::string Fields(const R& r) { int32_t f[sizeof r / 4]; memcpy(f, &r, sizeof f); return Entries(f, sizeof f / 4); }

// --- Rows of a sweep ---------------------------------------------------------

std::string Names(bool read, uint32_t size) { return UserNameValue(read, "PC7", size) + "/"s + ComputerNameValue(read, "PC7", size); }
struct tm MarchFifth() { struct tm time {}; strptime("2024-03-05 14:07", "%Y-%m-%d %H:%M", &time); return time; }
std::string Selected(int query, const char* className) { return YesNo(DeviceIsSelected(className, kDeviceQueries[query])) + " "; }

// The items of a list, kept to the end of the tests; Texts: NUL-ended texts one after another.
template <typename T> ItemList<T> List(std::initializer_list<T> items) { ItemList<T> l{}; AppendItems(l, items.begin(), items.size()); return l; }
ItemList<char> Texts(const std::string& texts) { ItemList<char> l{}; AppendItems(l, texts.data(), texts.size()); return l; }

// The figures of a machine with every group; Figures gives them as `change` leaves them.
const SweepFigures kFigures{true, "alice", 6, MarchFifth(), true, "PC7", 3, 90061000,
    List<ProcessorFigures>({{true, "  Example  CPU\t", 2993}, {false, "", UINT32_MAX}}), {2048000000, 1024000000, 1000, 1000}, true, 48,
    {Texts("Example Display\0"s), Texts(" Example Audio\t\0"s), Texts("Example Ethernet\0Example Ethernet\0"s), Texts("USB\nInput\0"s)},
    2, {{"[C:]", 1000000000000, 374000000000, " System ", "NTFS\t"}, {"[D:]", 0, 0, "", "FAT"}}};
SweepFigures Figures(void (*change)(SweepFigures&) = [](SweepFigures&) {}) { SweepFigures f = kFigures; change(f); return f; }

// Line feeds of each text ("-" when absent), then the shades and kinds.
std::string Shape(const SnapshotReport& r)
{
    std::string shape;
    for (const ReportText* t : {&r.labelText, &r.recordText, &r.valueText})
        shape += t->text == nullptr ? "-/" : std::to_string(std::count(t->text, t->text + strlen(t->text), '\n')) + "/";
    return shape + Entries(r.iconIndexes, r.iconCount, "") + "/" + Entries(r.rowKinds, r.rowKindCount, "");
}

// A first sweep of `figures` (into `report`, or one of its own): whether it was built, then its shape.
std::string Sweep(const SweepFigures& figures, SnapshotReport&& report = {}, RunningExtremes extremes = InitialExtremes())
{
    const bool built = BuildReport(figures, extremes, report);
    const std::string result = YesNo(built) + " " + Shape(report);
    FreeReport(report);
    return result;
}

TEST(Sweep, FormsEachRowFromTheQueriedFiguresAndListsItInOrderWithItsShadeAndKind)
{
    RunningExtremes e = InitialExtremes(), extremes = InitialExtremes();
    auto memory = [&](MemoryFigures figures) { return Out(64, FormatMemoryValue, figures, e); };
    auto processes = [&](uint32_t count) { return Out(64, FormatProcessValue, count, e); };
    auto drive = [](uint64_t bytes) { return Out(16, FormatDriveSize, bytes) + " "; };
    SnapshotReport report{};
    ASSERT_TRUE(BuildReport(Figures([](auto& f) { f.processCount = 60; }), extremes, report) && BuildReport(kFigures, extremes, report));
    const std::string cpus = "Example  CPU [@~2993MHz]\nUnknown CPU [@~4294967295MHz]\n";
    const std::string devices = "Example Display\nExample Audio\nExample Ethernet\nExample Ethernet\nUSB Input\n";
    // A refused growth also drops the text, so that the sweep stops.
    auto dropped = [&](ReportText& text, size_t count) { return YesNo(!GrowText(report, text, count) && text.text == nullptr); };
    ExpectCases({
        {"names, size 1021 and 1022", Names(true, 1021) + " " + Names(true, 1022), "PC7/PC7 UNKNOWN USER/UNKNOWN COMPUTER"},
        {"names unread", Names(false, 4), "UNKNOWN USER/UNKNOWN COMPUTER"}, {"uptime of 60 days", Out(64, FormatUptime, 5184000000),
         "60 Days 0 Hours 0 Minutes"}, {"date, one byte short", Out(21, FormatDateTime, MarchFifth()), "<refused:>"},
        {"CPU name, no NUL", Out(1040, FormatProcessorValue, std::vector<char>(1024, 'x').data(), 1), std::string(1023, 'x') + " [@~1MHz]"},
        {"1000 and 1010 MB, 1000 and 1010 GB, 4 TB", drive(1024000000) + drive(1034240000) + drive(1048576000000) +
         drive(1059061760000) + drive(4000787030016), "1000.00MB 0.99GB 1000.00GB 0.99TB 3.73TB "},
        {"sound, network", Selected(1, "MEDIA") + Selected(2, "Net"), "yes yes "},
        {"any class but USB, no class", Selected(3, "USB") + Selected(3, "usb") + Selected(0, nullptr), "no yes no "},
        {"57.9% kept as 57", memory({1000000000, 421000000, 0, 0}), "976MB 57% [Min 57% Max 57%]"},
        {"page file counts, not capped at 100", memory({1000, 0, 900, 0}), "0MB 190% [Min 57% Max 190%]"},
        {"64 GB", memory({68719476736, 34359738368, 0, 0}), "67108MB 50% [Min 50% Max 190%]"},
        {"more page file free than in all", memory({1000, 500, 100, 200}), "0MB 50% [Min 50% Max 190%]"},
        {"total unknown", memory({0, 0, 0, 0}), "0MB 0% [Min 0% Max 190%]"},
        {"property asked again: first, grown; same size, shrunk, fifth try", YesNo(DevicePropertyRetryAllowed(0, 0, 1)) +
         YesNo(DevicePropertyRetryAllowed(3, 40, 41)) + YesNo(DevicePropertyRetryAllowed(1, 40, 40)) +
         YesNo(DevicePropertyRetryAllowed(1, 40, 20)) + YesNo(DevicePropertyRetryAllowed(4, 40, 80)), "yesyesnonono"},
        {"over 4096 processes", processes(5000), "5000 [Min 5000 Max 5000]"}, {"then fewer", processes(4097), "4097 [Min 4097 Max 5000]"},
        {"values", report.valueText.text, "alice\n2024 March 05 - 14:07\nPC7\n1 Day 1 Hour 1 Minute\n" + cpus +
         "2000MB 50% [Min 50% Max 50%]\n48 [Min 48 Max 60]\n" + devices + "[C:] System Local 953.67GB NTFS 63%\n[D:]  Local 0.00MB FAT 0%"},
        {"records", report.recordText.text, "PC7\n" + cpus + "2000MB\n" + devices + "[C:] System 953.67GB NTFS\n[D:]  0.00MB FAT"},
        {"shades and kinds", Shape(report), "14/10/14/101011010100100/001011101111111"},
        {"growth refused", dropped(report.labelText, SIZE_MAX / 2 + 1) + dropped(report.valueText, SIZE_MAX / 2), "yesyes"},
        {"no processors", Sweep(Figures([](auto& f) { f.processors.count = 0; })), "yes 12/8/12/1010101011011/0010101111111"},
        {"no display adapter", Sweep(Figures([](auto& f) { f.devices[0].count = 0; })), "yes 13/9/13/10101101011011/00101110111111"},
        {"processes not counted", Sweep(Figures([](auto& f) { f.processesCounted = false; })), "no 7/4/7/1010110/0010111"},
    });
    FreeReport(report);
}

TEST(Sweep, RefusedAllocationAtAnyPointEndsTheSweepWithoutLeaks)
{
    const std::string clean = Sweep(kFigures);
    // A row's points are its label, record (configuration rows only), value,
    // icon and kind: COMPUTERNAME's are 9 to 13, the device rows' 37 to 61.
    // A refusal keeps the rows so far; a failed device row leaves nothing.
    const char* computerName[] = {"-/-/2/10/00", "3/-/2/10/00", "3/1/-/10/00", "3/1/3/10/00", "3/1/3/101/00"};
    for (size_t failAt = 1; failAt <= 72; ++failAt) {
        FailingHeap heap{failAt, 0, 0, 0, {}};
        const ReportAllocator allocator = FailingAllocator(heap);
        SnapshotReport report{{}, {}, {}, nullptr, 0, nullptr, 0, 0, &allocator};  // empty, on the failing heap
        const std::string refused = Sweep(kFigures, std::move(report));
        // Refused: "no", then the shape kept where it is known; point 72 is past the sweep's last.
        const std::string kept = failAt >= 37 && failAt <= 61 ? "-/-/-//" : failAt >= 9 && failAt <= 13 ? computerName[failAt - 9] : "";
        EXPECT_EQ(kept.empty() && failAt < 72 ? refused.substr(0, 3) : refused, failAt == 72 ? clean : "no " + kept) << "point " << failAt;
        heap.failAt = 0;
        EXPECT_EQ(Sweep(kFigures, std::move(report)), clean) << "sweeping again after point " << failAt;
        EXPECT_EQ(heap.liveBlocks + heap.badReleases, 0u) << "point " << failAt;
    }
}

// --- The snapshot file and the list planned against it ----------------------

std::string Saved(const char* text)
{
    ItemList<char> bytes{};
    const std::string saved = EncodeSnapshot(text, bytes) ? std::string(bytes.items, bytes.count) : "<refused>";
    return FreeItems(bytes), saved;
}
std::string Equal(const char* a, const char* b) { return YesNo(SnapshotTextsEqual(a, b)); }

// The text and line count of a file of `bytes`, read 3 bytes at a time so that reads split CR LF pairs.
std::string Loaded(const std::string& bytes)
{
    std::vector<char> text(kStoredTextCapacity, 'Z');
    SnapshotLoad load;
    BeginSnapshotLoad(text.data(), load);
    for (size_t at = 0; at < bytes.size() && !load.finished; at += 3)
        FeedSnapshotBytes(bytes.data() + at, std::min<size_t>(3, bytes.size() - at), load);
    EndSnapshotLoad(load);
    return std::string(text.data()) + "|" + std::to_string(load.lineCount);
}

std::string Utf8(std::initializer_list<const char*> texts) { std::string r; for (const char* t : texts) r += YesNo(IsValidUtf8(t, strlen(t))) + " "; return r; }

TEST(SnapshotFile, IsSavedByteForByteLoadedAsATextStreamComparedWholeAndNeverMisplaced)
{
    const std::string a(127997, 'a');
    int32_t waits[7];
    for (uint32_t attempt = 0; attempt < 7; ++attempt) waits[attempt] = (int32_t)ReplaceRetryWait(attempt);
    const std::string data = "\\[hollowpinestudio]TallyviewData", fits(259 - data.size() - strlen("\\PC.txt"), 'a');
    // The file path and, after "in", the folder composed for the snapshot of computer "PC".
    auto paths = [](const std::string& appData, std::vector<char> folder = std::vector<char>(260)) {
        return Out(260, ComposeSnapshotPaths, appData.c_str(), "PC", folder.data()) + " in " + folder.data();
    };
    ExpectCases({
        {"saved bytes", Saved("ab\n\ncd"), "ab\r\n\r\ncd\0"s}, {"nothing saved", Saved(nullptr) + Saved(""), "\0\0"s},
        {"one NUL", Loaded("\0"s), "|1"}, {"no bytes", Loaded(""), "|0"}, {"last line ends in CR LF", Loaded("ab\r\ncd\r\n"), "ab\ncd\n|2"},
        {"lone CRs stay", Loaded("a\r\r\nb\r"), "a\r\nb\r|2"}, {"NUL drops the rest of its read", Loaded("a\0b\r\nc\0\r\n"s), "ac|2"},
        {"long file", Loaded(std::string(1000000, 'x')), std::string(127999, 'x') + "|1"},
        {"line feed fills the text", Loaded(std::string(127998, 'y') + "\r\nz"), std::string(127998, 'y') + "\n|1"},
        {"equal: same, absent/empty, LF, blank", Equal("A", "A") + Equal(nullptr, "") + Equal("A", "A\n") + Equal("A ", "A"), "yesyesnono"},
        {"UTF-8: 2, 3, 4 bytes, U+10FFFF", Utf8({"\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xf4\x8f\xbf\xbf"}), "yes yes yes yes "},
        {"not UTF-8: overlong 2 and 3, surrogate, past U+10FFFF, cut, lone continuation, F5",
         Utf8({"\xc1\xbf", "\xe0\x9f\xbf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\xe2\x82", "\x80", "\xf5\x80\x80\x80"}), "no no no no no no no "},
        {"legacy lines converted, UTF-8 and CR kept", Latin1Converted("Donn\xe9" "es\r\n\xd0\xa1\n\nNo\xeb" "l"), "Donn\xc3\xa9" "es\r\n\xd0\xa1\n\nNo\xc3\xab" "l\0"s},
        {"grown to the limit, then past it in a character", std::to_string(Latin1Converted(a + "\xe9").size()) + Latin1Converted(a + "a\xe9"),
         std::to_string(128000) + a + "a\0"s},
        {"replace tried again after growing waits, three seconds in all", Entries(waits, 7), "50 100 200 400 800 1450 0 "},
        {"259 and 260 characters", paths(fits) + "|" + paths(fits + "a").substr(0, 10),
         fits + data + "\\PC.txt in " + fits + data + "|<refused:>"},
    });
}

// The entry for saving `saved` over `record` ("<kind>|<entry>"), and the history file made from `existing` and an entry.
std::string Entry(const std::string& record, const std::string& saved, uint32_t lines = UINT32_MAX)
{
    ItemList<char> entry{};
    HistoryKind kind;
    const bool built = ComposeHistoryEntry(record.c_str(), lines, saved.c_str(), "S", "u", kind, entry);
    const std::string text = built ? std::to_string(kind) + "|" + std::string(entry.items, entry.count) : "<refused>";
    return FreeItems(entry), text;
}
std::string History(const std::string& existing, const std::string& entry)
{
    ItemList<char> bytes{};
    const std::string text = UpdateHistoryFile(existing.data(), existing.size(), entry.data(), entry.size(), bytes) ? std::string(bytes.items, bytes.count) : "<refused>";
    return FreeItems(bytes), text;
}

TEST(History, EntriesListWhatASaveChangedAndTheFileKeepsTheNewestWithin64KiB)
{
    std::string many, manyLines, full = "\xEF\xBB\xBF";
    for (int i = 0; i < 105; ++i) many += "L" + std::to_string(i) + "\n", manyLines += "+ L" + std::to_string(i) + "\r\n";
    const std::string longLine = std::string(511, 'x') + "\xC3\xA9", old = "old\r\n+ a\r\n\r\n", e(1000, 'e');
    while (full.size() + old.size() <= kHistoryFileLimit) full += old;
    struct tm local{}, utc{};
    local.tm_year = 126, local.tm_mon = 11, local.tm_mday = 7, local.tm_hour = 9, local.tm_min = 14, local.tm_sec = 5, utc.tm_year = 125, utc.tm_yday = 364, utc.tm_hour = 23, utc.tm_min = 59;
    const int32_t offset = UtcOffsetMinutes(local, utc);
    ExpectCases({
        {"first", Entry("", "PC7\nCPU"), "1|S  u  first\r\n+ PC7\r\n+ CPU\r\n\r\n"},
        {"changed: one of two identical lines lost, another added", Entry("PC7\nCPU\nCPU\nOld", "PC7\nNew\nCPU"), "2|S  u  changed\r\n+ New\r\n- CPU\r\n- Old\r\n\r\n"},
        {"order alone, blanks around, a count short of the text", Entry("B\n A \t\nC", "A\nB", 2) + Entry("PC7", "PC7\r"), "0|2|S  u  changed\r\n+ PC7\r\r\n- PC7\r\n\r\n"},
        {"105 added: 100 listed", Entry("X", many), "2|S  u  changed\r\n" + manyLines.substr(0, manyLines.find("+ L100")) + "+ \xE2\x80\xA6 and 5 more\r\n- X\r\n\r\n"},
        {"512 bytes, not inside a character; a stray byte", Entry("X", longLine + "\nA\xFF"), "2|S  u  changed\r\n+ " + longLine.substr(0, 511) + "\r\n+ A\xEF\xBF\xBD\r\n- X\r\n\r\n"},
        {"stamp across the year, west of UTC", Out(32, FormatHistoryStamp, local, offset) + " " + Out(32, FormatHistoryStamp, local, -330), "2026-12-07 09:14:05 +09:15 2026-12-07 09:14:05 -05:30"},
        {"new file, appended, foreign, empty", History("", "E\r\n\r\n") + "|" + History("\xEF\xBB\xBF" "A\r\n\r\n", "E") + "|" + History("A", "E") + History("\xEF\xBB", "E"),
         "\xEF\xBB\xBF" "E\r\n\r\n|\xEF\xBB\xBF" "A\r\n\r\nE|<refused><refused>"},
        {"full: the oldest whole entries dropped", std::to_string(History(full, e).size()) + " " + std::to_string(History(full, e).find("old")),
         std::to_string(3 + (full.size() - 3) / old.size() * old.size() - (1000 / old.size() + 1) * old.size() + 1000) + " 3"},
        {"an entry past the bound alone", History("", std::string(kHistoryFileLimit - 2, 'e')), "<refused>"},
    });
}

struct Row { const char *label, *value, *record; bool alternate; };  // no record: an information row
std::vector<Row> Cpus(int count) { return std::vector<Row>(count, Row{"CPU", "C", "C", false}); }
std::string Text(const TextSlice& slice) { return std::string(slice.text, slice.length); }

// Plans the finished report of `rows` against a stored text counted as
// `lineCount` lines: "icon label=value" per row, the row counter, the missing
// count and the match flags.
std::string Plan(const std::vector<Row>& rows, const std::string& stored, uint32_t lineCount, bool compare = true, bool flags = true)
{
    SnapshotReport report{};
    BeginReport(report);
    for (const Row& row : rows) AppendRow(report, row.label, row.value, row.record, row.alternate, row.record != nullptr ? 1 : 0);
    FinishReport(report);
    std::vector<int32_t> matched(lineCount, 7);
    RenderPlan plan{};
    std::string text = PlanReportRows(report, StoredSnapshot{stored.c_str(), lineCount, flags ? matched.data() : nullptr}, compare, plan) ? "" : "<refused>";
    for (const PlannedRow& row : std::vector<PlannedRow>(plan.rows.items, plan.rows.items + plan.rows.count))
        text += std::to_string(row.icon) + " " + Text(row.label) + "=" + Text(row.value) + " | ";
    FreeReport(report), FreeRenderPlan(plan);
    return text + std::to_string(plan.rowCounter) + "/" + std::to_string(plan.missingCount) + " " + Entries(matched.data(), lineCount, "");
}

TEST(RenderPlan, MarksChangedRowsListsUnmatchedStoredLinesAndSizesTheWindow)
{
    std::vector<Row> sweep{{"USERNAME", "alice", nullptr, true}, {"COMPUTERNAME", "PC7", "PC7", true}, {"CPU", "CPU-A", "CPU-A", false}};
    const std::vector<Row> pc = {sweep[1]};
    const std::string longLine(130000, 'v'), cut(127999, 'v'), c = "1 CPU=C | ", m = "4 MISSING=C | ";
    // Label and value widths, window left, top, width, height, the two columns,
    // then the list's and the button's left, top, width and height.
    const int32_t dpis[] = {(int32_t)ChooseWindowDpi(120, 144, 96), (int32_t)ChooseWindowDpi(0, 144, 96), (int32_t)ChooseWindowDpi(0, 0, 192),
                            (int32_t)ChooseWindowDpi(0, 0, 0)};
    const int32_t heights[] = {FontHeightAtDpi(8, 96), FontHeightAtDpi(8, 120), FontHeightAtDpi(8, 144), FontHeightAtDpi(8, 192)};
    const PixelRect work = {0, 0, 1024, 738}, at = {900, 600, 1024, 738};
    DpiChangeGuard g{};  // begun, nested, passes 0, 1 and 2 each with a change inside, none inside, ended and begun again
    std::string changes;
    for (bool step : {BeginDpiChange(g), BeginDpiChange(g), DpiChangeNeedsAnotherPass(g, 0), (BeginDpiChange(g), DpiChangeNeedsAnotherPass(g, 1)),
                      (BeginDpiChange(g), DpiChangeNeedsAnotherPass(g, 2)), DpiChangeNeedsAnotherPass(g, 0), (EndDpiChange(g), BeginDpiChange(g))}) changes += YesNo(step) + " ";
    auto window = [](RenderMeasures measures, int rows, int missing) {
        WindowLayout w; ComputeWindowLayout(measures, rows, missing, {0, 0, 1024, 738}, w); return Fields(w);
    };
    ExpectCases({
        {"worked example", Plan(sweep, "PC7\nCPU-B\nDISK-C", 3),
         "1 USERNAME=alice | 0 COMPUTERNAME=PC7 | 3 CPU=CPU-A | 4 MISSING=CPU-B | 4 MISSING=DISK-C | 2/2 100"},
        {"surrounding blanks", Plan({{"CPU", " A ", " A ", false}}, "\t A  ", 1), "1 CPU= A  | 0/0 1"},
        {"carriage return is content", Plan(pc, "PC7\r", 1), "3 COMPUTERNAME=PC7 | 4 MISSING=PC7\r | 0/1 0"},
        {"missing shown untrimmed", Plan(pc, "PC7\n  DISK \t", 2), "1 COMPUTERNAME=PC7 | 4 MISSING=  DISK \t | 0/1 10"},
        {"count past the text", Plan(pc, "PC7", 3), "1 COMPUTERNAME=PC7 | 4 MISSING= | 4 MISSING= | 0/2 100"},
        {"empty last row", Plan({pc[0], {"SOUND", "", "", false}}, "PC7\n", 2), "1 COMPUTERNAME=PC7 | 0 SOUND= | 1/0 11"},
        {"no snapshot yet", Plan(pc, "", 0), "3 COMPUTERNAME=PC7 | 0/0 "}, {"empty report", Plan({}, "PC7", 1), "4 MISSING=PC7 | 0/1 0"},
        {"not compared", Plan(sweep, "OTHER", 1, false), "1 USERNAME=alice | 0 COMPUTERNAME=PC7 | 1 CPU=CPU-A | 2/0 0"},
        {"no match flags: all missing", Plan(pc, "PC7", 1, true, false), "3 COMPUTERNAME=PC7 | 4 MISSING=PC7 | 0/1 7"},
        {"cut at 127999", Plan({{"CPU", longLine.c_str(), longLine.c_str(), false}}, cut, 1), "1 CPU=" + cut + " | 0/0 1"},
        {"4 -> 8 identical", Plan(Cpus(8), "C\nC\nC\nC", 4), c + c + c + c + "3 CPU=C | 3 CPU=C | 3 CPU=C | 3 CPU=C | 7/0 1111"},
        {"8 -> 4 identical", Plan(Cpus(4), "C\nC\nC\nC\nC\nC\nC\nC", 8), c + c + c + c + m + m + m + m + "3/4 11110000"},
        // The window around the worked example's plan: 2 + 2 rows, so 17 x 4 + T + 69 high; the
        // stored text, wider than the values, widens the value column unless it is empty.
        {"example window", window({100, 200, 250, false, 18, 3, 17, 96}, 2, 2), "116 250 593 583 431 155 131 270 12 11 401 90 12 109 401 10 "},
        {"empty stored", window({80, 150, 300, true, 20, 4, 0, 0}, 5, 1), "96 150 713 547 311 191 111 170 11 11 281 126 11 143 281 10 "},
        // At 200 % every figure doubles; at 125 % each is rounded to the nearest pixel, rows of 21 when unmeasured.
        {"200 %", window({200, 400, 500, false, 36, 6, 33, 192}, 2, 2), "232 500 162 432 862 306 262 540 24 22 802 176 24 214 802 20 "},
        {"125 %", window({100, 200, 0, true, 23, 4, 0, 120}, 1, 0), "120 200 623 608 401 130 139 225 15 14 363 49 15 72 363 13 "},
        {"due after 10 s, clock set back", YesNo(SweepIsDue(10, 0)) + YesNo(SweepIsDue(11, 0)) + YesNo(SweepIsDue(0, 5)), "noyesyes"},
        {"DPI of the window, else the monitor, else the system, else 96", Entries(dpis, 4), "120 144 192 96 "},
        {"template font of 8 points at 100, 125, 150 and 200 %", Entries(heights, 4), "-11 -13 -16 -21 "},
        {"at the corner: of the work area, of the last render's; right edge only, moved", YesNo(WindowSatAtCorner(at, work, {})) +
         YesNo(WindowSatAtCorner(at, {0, 0, 1024, 700}, work)) + YesNo(WindowSatAtCorner({900, 600, 1024, 700}, work, work)) +
         YesNo(WindowSatAtCorner({0, 0, 124, 138}, work, work)), "yesyesnono"},
        {"a change inside a change: one more pass, three in all", changes, "yes no yes yes no no yes "},
    });
}

// --- Texts the user reads, paths, placement ----------------------------------

const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const std::string kPageName = kCaption + " - Internet Referrering Page.htm"s;  // 62 characters

std::string Accepts(const std::string& line, const std::string& s) { return YesNo(MarkerAcceptsTerms(line.c_str(), s.c_str())); }
std::string PagePath(const char* temp, const char* tmp) { return Out(260, ComposeReferrerPagePath, temp, tmp, kPageName.c_str()); }
std::string Intact(const std::string& a, const char* d = kExpectedDonationDigest) { return YesNo(DonationAddressIsIntact(a.c_str(), d)); }
std::string Sha256(const std::string& b) { char digest[kDigestTextSize]; DigestBytes(b.data(), b.size(), digest); return digest; }

TEST(Texts, MarkerReferrerPageAndDonationAddressAreExactNeverCutAndCheckedWhole)
{
    const std::string s = Out(1024, ComposeAcceptanceSentence, kCaption), a = kDonationAddress, digest = kExpectedDonationDigest;
    // The page's text is pinned end to end; here, its length and that it is never cut short.
    auto page = [](size_t size) { return Out(size, ComposeReferrerPageText, kPageName.c_str(), "https://pay.example/x"); };
    const std::string room(259 - kPageName.size(), 'r'), fits(room.size() - 1, 'f'), over = room + "r";
    ExpectCases({
        {"blanks around", Accepts(" \t\n" + s + " \t\n", s), "yes"}, {"more after it", Accepts(s + " and more", s), "yes"},
        {"no stop", Accepts(s.substr(0, s.size() - 1), s), "yes"}, {"one more short", Accepts(s.substr(0, s.size() - 2), s), "no"},
        {"CR before", Accepts("\r" + s, s), "no"}, {"empty sentence", Accepts("anything", ""), "no"},
        {"name cut to 259", Out(1024, ComposeReferrerPageName, std::string(300, 'c').c_str()), std::string(259, 'c')},
        {"TEMP, else TMP", PagePath("C:\\T", room.c_str()) + "|" + PagePath("", "D:\\M"), "C:\\T\\" + kPageName + "|D:\\M\\" + kPageName},
        {"slash gets a backslash", PagePath("C:/T/", nullptr), "C:/T/\\" + kPageName}, {"unset", PagePath(nullptr, nullptr), "<refused:>"},
        {"259 and 260 characters", PagePath(fits.c_str(), "") + "|" + PagePath(room.c_str(), ""), fits + "\\" + kPageName + "|<refused:>"},
        {"ends in \\", PagePath("C:\\T\\", ""), "C:\\T\\" + kPageName}, {"long TMP unused", PagePath("C:\\T", over.c_str()), "<refused:>"},
        {"page of 601 bytes, one byte short", std::to_string(page(4096).size()) + page(601), "601<refused:>"},
        {"SHA-256 of 55 high bytes", Sha256(std::string(55, '\x80')), "50c291058d953fe1f35ad58a40371040418527c3303c99819b5ae66333a034f2"},
        {"address intact; no digest; last character changed; digest a digit short",
         Intact(a) + Intact(a, nullptr) + Intact(a.substr(0, a.size() - 1) + "G") + Intact(a, digest.substr(0, 63).c_str()), "yesnonono"},
    });
}

// Applies a query's answer, from a buffer of exactly its bytes, over a location found earlier.
std::string Folder(const std::string& bytes, uint32_t count, size_t cut = 0, uint32_t type = 1, bool read = true)
{
    ShellFolderLocation location{"C:\\Earlier", 1};
    ApplyShellFolderValue(read, type, std::vector<char>(bytes.begin(), bytes.end()).data(), count, cut, location);
    return std::to_string(location.found) + " " + location.path;
}

std::string LinkPath(const std::string& folder) { return Out(520, ComposeLinkPath, folder.c_str(), "T.lnk"); }
std::string WorkingDirectory(const char* program, size_t size = 520) { return Out(size, DeriveWorkingDirectory, program); }

// Per state (absent, unreadable, not a shortcut, elsewhere, to the program, exact): the box (D disabled, T ticked,
// E clear), then what a Process does with the box ticked and clear (- leave, W write, A ask, D delete).
std::string LinkPlans()
{
    std::string plans;
    for (LinkFileState s : {LinkAbsent, LinkUnreadable, LinkNotAShortcut, LinkElsewhere, LinkToProgram, LinkExact})
        plans += std::string(!LinkBoxUsable(true, s) ? "D" : LinkBoxTicked(s) ? "T" : "E") + "-WAD"[PlanLinkAction(true, s)] + "-WAD"[PlanLinkAction(false, s)] + " ";
    return plans;
}
std::string Classified(LinkSettings f) { return std::to_string(ClassifyShortcut(f, {"C:\\T\\x.exe", "C:\\T", "C:\\T\\x.exe", 0, "Caption"}) - LinkElsewhere); }

const PixelRect kWork = {100, 50, 1380, 820};
std::string Centred(PixelRect own, PixelRect parent, PixelRect shown) { return Fields(CentreInWorkArea(own, true, parent, shown, kWork)); }

TEST(Placement, LinksAndDialogsGoWhereTheyMustNeverCutNorOutsideTheWorkArea)
{
    const std::string full(260, 'p'), data = "C:\\" + std::string(247, 'd'), quick = "\\Microsoft\\Internet Explorer\\Quick Launch";
    ExpectCases({
        {"trimmed", Folder(" \t C:\\Desktop\n\0"s, 15), "1 C:\\Desktop"}, {"CR kept", Folder("C:\\D\r\n\0"s, 7), "1 C:\\D\r"},
        {"one character", Folder(" C \0"s, 4), "0 C:\\Earlier"}, {"expandable", Folder("C:\\D\0"s, 5, 0, 2), "0 C:\\Earlier"},
        {"query failed", Folder("C:\\D\0"s, 5, 0, 1, false), "0 C:\\Earlier"}, {"ends at its count", Folder("C:\\DJUNK", 4), "1 C:\\D"},
        {"260 bytes, no terminator", Folder(full, 260), "1 " + full}, {"count past the buffer", Folder(full, 5000), "1 " + full},
        {"user Quick Launch", Folder(data + '\0', 251, kUserQuickLaunchCut), "1 " + data.substr(0, 218) + quick},
        {"machine Quick Launch", Folder(full, 260, kMachineQuickLaunchCut), "1 " + full + quick},
        {"link", LinkPath("C:\\Desktop"), "C:\\Desktop\\T.lnk"}, {"no folder", LinkPath(""), "<refused:>"},
        {"link too long", LinkPath(std::string(514, 'f')), "<refused:>"},
        {"link boxes and what a Process does", LinkPlans(), "EW- D-- EWD EAD TWD T-D "},
        {"exact; description, icon index, folder differ; target in capitals", Classified({"C:\\T\\x.exe", "C:\\T", "C:\\T\\x.exe", 0, "Caption"}) +
         Classified({"C:\\T\\x.exe", "C:\\T", "C:\\T\\x.exe", 0, "Other"}) + Classified({"C:\\T\\x.exe", "C:\\T", "C:\\T\\x.exe", 1, "Caption"}) +
         Classified({"C:\\T\\x.exe", "C:\\", "C:\\T\\x.exe", 0, "Caption"}) + Classified({"C:\\T\\X.EXE", "C:\\T", "C:\\T\\x.exe", 0, "Caption"}), "21110"},
        {"program folder", WorkingDirectory("C:\\Tools\\x.exe"), "C:\\Tools"}, {"root", WorkingDirectory("C:\\x.exe"), "C:"},
        {"no folder in the path", WorkingDirectory("x.exe"), ""}, {"small buffer", WorkingDirectory("C:\\Tools\\x.exe", 8), "<refused:>"},
        {"negative odd parent", Centred({0, 0, 5, 7}, {103, 200, 100, 200}, {300, 300, 297, 300}), "297 297 302 304 "},
        {"negative odd window", Centred({5, 7, 0, 0}, {0, 0, 100, 100}, {300, 300, 400, 400}), "352 353 347 346 "},
        {"no parent", Fields(CentreInWorkArea({10, 10, 310, 210}, false, {}, {}, kWork)), "590 335 890 535 "},
        {"too large: left and top win", Fields(CentreInWorkArea({0, 0, 1500, 900}, false, {}, {}, kWork)), "100 50 1600 950 "},
        {"moved far right", Fields(MoveIntoWorkArea({100, 100, 533, 612}, 20000, 60, kWork)), "947 60 1380 572 "},
    });
}
