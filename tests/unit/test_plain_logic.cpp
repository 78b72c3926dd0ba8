// The plain logic, natively under the sanitizers. One TEST per behaviour; its
// cases are rows of (name, what the code gave for the row's input, what it
// must give). Outputs go into buffers of exactly their size, so that an
// overrun trips the address sanitizer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/place_window.h"
#include "app/terms.h"
#include "failing_allocator.h"
#include "links/link_paths.h"
#include "links/shell_folders.h"
#include "options/donation.h"
#include "options/referrer_page.h"
#include "snapshot/row_text.h"
#include "snapshot/sweep.h"
#include "store/snapshot_file.h"
#include "window/render_plan.h"

using namespace std::string_literals;

namespace {

struct Case { const char* name; std::string actual, expected; };

// gtest prints both texts escaped, so the bytes that differ show.
void ExpectCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }
std::string TextOf(const ReportText& text) { return text.text != nullptr ? text.text : "<absent>"; }

// What `compose(out, size)` leaves in `size` bytes: its text, or what a refusal leaves.
template <typename Compose> std::string Into(size_t size, Compose compose)
{
    std::vector<char> out(size, 'Z');
    const bool composed = compose(out.data(), size);
    return composed ? out.data() : "<refused:" + std::string(out.data()) + ">";
}

// --- Rows of a sweep ---------------------------------------------------------

std::string Names(bool read, const char* name, uint32_t size) { return UserNameValue(read, name, size) + "/"s + ComputerNameValue(read, name, size); }
struct tm MarchFifth() { struct tm time {}; strptime("2024-03-05 14:07", "%Y-%m-%d %H:%M", &time); return time; }
std::string Date(size_t size) { return Into(size, [](char* out, size_t n) { return FormatDateTime(MarchFifth(), out, n); }); }
std::string Cpu(const char* name) { char out[1040]; FormatProcessorValue(name, 1, out, sizeof(out)); return out; }
std::string Uptime(uint64_t ms) { char out[64]; FormatUptime(ms, out, sizeof(out)); return out; }
std::string Drive(uint64_t bytes) { char out[16]; FormatDriveSize(bytes, out, sizeof(out)); return out; }
std::string Memory(RunningExtremes& e, MemoryFigures m) { char out[64]; FormatMemoryValue(m, e, out, sizeof(out)); return out; }
std::string Processes(RunningExtremes& e, uint32_t count) { char out[64]; FormatProcessValue(count, e, out, sizeof(out)); return out; }

std::string Selected(int query, const char* className) { return YesNo(DeviceIsSelected(className, kDeviceQueries[query])) + " "; }

TEST(RowTexts, AreFormedFromTheQueriedFiguresWithRunningExtremes)
{
    RunningExtremes e = InitialExtremes();
    ExpectCases({
        {"names, size 1021 and 1022", Names(true, "PC7", 1021) + " " + Names(true, "PC7", 1022), "PC7/PC7 UNKNOWN USER/UNKNOWN COMPUTER"},
        {"names unread", Names(false, "PC7", 4), "UNKNOWN USER/UNKNOWN COMPUTER"},
        {"date, one byte short", Date(21), "<refused:>"}, {"uptime of 60 days", Uptime(5184000000), "60 Days 0 Hours 0 Minutes"},
        {"unterminated processor name", Cpu(std::vector<char>(1024, 'x').data()), std::string(1023, 'x') + " [@~1MHz]"},
        {"1000 MB", Drive(1024000000), "1000.00MB"}, {"just above 1000 MB", Drive(1024001024), "0.98GB"},
        {"1000 GB", Drive(1048576000000), "1000.00GB"}, {"4 TB disk", Drive(4000787030016), "3.73TB"},
        {"display adapters: Display, display, Net, none", Selected(0, "Display") + Selected(0, "display") + Selected(0, "Net") +
         Selected(0, nullptr), "yes no no no "},
        {"sound, network, buses", Selected(1, "MEDIA") + Selected(2, "Net") + kDeviceQueries[0].enumerator + kDeviceQueries[3].enumerator,
         "yes yes PCIUSB"},
        {"USB: HIDClass, USB, usb", Selected(3, "HIDClass") + Selected(3, "USB") + Selected(3, "usb"), "yes no yes "},
        {"use and page file", Memory(e, {4096000000, 2048000000, 3072000000, 2048000000}), "4000MB 75% [Min 75% Max 75%]"},
        {"57.9% kept as 57", Memory(e, {1000000000, 421000000, 0, 0}), "976MB 57% [Min 57% Max 75%]"},
        {"not capped at 100", Memory(e, {1000, 0, 900, 0}), "0MB 190% [Min 57% Max 190%]"},
        {"64 GB", Memory(e, {68719476736, 34359738368, 0, 0}), "67108MB 50% [Min 50% Max 190%]"},
        {"more page file free than in all", Memory(e, {1000, 500, 100, 200}), "0MB 50% [Min 50% Max 190%]"},
        {"total unknown", Memory(e, {0, 0, 0, 0}), "0MB 0% [Min 0% Max 190%]"},
        {"first process count", Processes(e, 48), "48 [Min 48 Max 48]"}, {"fewer processes", Processes(e, 45), "45 [Min 45 Max 48]"},
        {"more than 4096 processes", Processes(e, 5000), "5000 [Min 45 Max 5000]"},
    });
}

// The figures of a machine with every group, as `change` leaves them.
SweepFigures Figures(void (*change)(SweepFigures&) = [](SweepFigures&) {})
{
    SweepFigures figures{true, "alice", 6, MarchFifth(), true, "PC7", 3, 90061000,
        {{true, "  Example  CPU\t", 2993}, {false, "", UINT32_MAX}}, {2048000000, 1024000000, 1000, 1000}, true, 48,
        {{"Example Display"}, {" Example Audio\t"}, {"Example Ethernet", "Example Ethernet"}, {"USB\nInput"}},
        {{"[C:]", 1000000000000, 374000000000, " System ", "NTFS\t"}, {"[D:]", 0, 0, "", "FAT"}}};
    change(figures);
    return figures;
}

std::string Entries(const int32_t* entries, int32_t count, const char* separator = "")
{
    std::string text;
    for (int32_t i = 0; i < count; ++i)
        text += std::to_string(entries[i]) + separator;
    return text;
}

// Line feeds of each text ("-" when absent), then the shades and kinds.
std::string Shape(const SnapshotReport& r)
{
    std::string shape;
    for (const ReportText* t : {&r.labelText, &r.recordText, &r.valueText})
        shape += t->text == nullptr ? "-/" : std::to_string(std::count(t->text, t->text + strlen(t->text), '\n')) + "/";
    return shape + Entries(r.iconIndexes, r.iconCount) + "/" + Entries(r.rowKinds, r.rowKindCount);
}

// A first sweep of `figures` (into `report`, or one of its own): whether it was built, then its shape.
std::string Sweep(const SweepFigures& figures, SnapshotReport&& report = {})
{
    RunningExtremes extremes = InitialExtremes();
    const bool built = BuildReport(figures, extremes, report);
    const std::string result = YesNo(built) + " " + Shape(report);
    FreeReport(report);
    return result;
}

std::string Grown(SnapshotReport& report, ReportText& text, size_t count) { const bool grown = GrowText(report, text, count); return YesNo(grown) + TextOf(text); }

TEST(BuildReport, SweepListsEveryRowInOrderWithItsShadeAndKind)
{
    RunningExtremes extremes = InitialExtremes();
    SnapshotReport report{};
    ASSERT_TRUE(BuildReport(Figures([](SweepFigures& f) { f.processCount = 60; }), extremes, report));
    ASSERT_TRUE(BuildReport(Figures(), extremes, report));
    const std::string cpus = "Example  CPU [@~2993MHz]\nUnknown CPU [@~4294967295MHz]\n";
    const std::string devices = "Example Display\nExample Audio\nExample Ethernet\nExample Ethernet\nUSB Input\n";
    ExpectCases({
        {"labels", TextOf(report.labelText),
         "USERNAME\nDATE&TIME\nCOMPUTERNAME\nUPTIME\nCPU\nCPU\nRAM\nPROCESSES\nDISPLAY\nMEDIA\nNETWORK\nNETWORK\nUSB\nDRIVE\nDRIVE"},
        {"values", TextOf(report.valueText), "alice\n2024 March 05 - 14:07\nPC7\n1 Day 1 Hour 1 Minute\n" + cpus +
         "2000MB 50% [Min 50% Max 50%]\n48 [Min 48 Max 60]\n" + devices + "[C:] System Local 953.67GB NTFS 63%\n[D:]  Local 0.00MB FAT 0%"},
        {"records", TextOf(report.recordText), "PC7\n" + cpus + "2000MB\n" + devices + "[C:] System 953.67GB NTFS\n[D:]  0.00MB FAT"},
        {"shades and kinds", Shape(report), "14/10/14/101011010100100/001011101111111"},
        {"label block: twice each line", std::to_string(report.labelText.capacity), "214"},
        {"growth too large to express", Grown(report, report.labelText, SIZE_MAX / 2 + 1), "no<absent>"},
        {"growth past the address space", Grown(report, report.valueText, SIZE_MAX / 2), "no<absent>"},
        {"no processors", Sweep(Figures([](SweepFigures& f) { f.processors.clear(); })), "yes 12/8/12/1010101011011/0010101111111"},
        {"no display adapter", Sweep(Figures([](SweepFigures& f) { f.devices[0].clear(); })), "yes 13/9/13/10101101011011/00101110111111"},
        {"processes not counted", Sweep(Figures([](SweepFigures& f) { f.processesCounted = false; })), "no 7/4/7/1010110/0010111"},
    });
    FreeReport(report);
}

TEST(BuildReport, RefusedAllocationAtAnyPointEndsTheSweepWithoutLeaks)
{
    const std::string clean = Sweep(Figures());
    // A row's points are its label, record (configuration rows only), value,
    // icon and kind: COMPUTERNAME's are 9 to 13, the device rows' 37 to 61.
    // A refusal keeps the rows so far; a failed device row leaves nothing.
    const char* computerName[] = {"-/-/2/10/00", "3/-/2/10/00", "3/1/-/10/00", "3/1/3/10/00", "3/1/3/101/00"};
    for (size_t failAt = 1; failAt <= 72; ++failAt) {
        SCOPED_TRACE("refusing allocation point " + std::to_string(failAt));
        FailingHeap heap{};
        heap.failAt = failAt;
        const ReportAllocator allocator = FailingAllocator(heap);
        SnapshotReport report{};
        report.allocator = &allocator;
        const std::string refused = Sweep(Figures(), std::move(report));
        EXPECT_EQ(heap.calls, std::min<size_t>(failAt, 71)) << "the sweep stops at the refusal";
        // Refused: "no", then the shape kept where it is known; point 72 is past the sweep's last.
        const std::string kept = failAt >= 37 && failAt <= 61 ? "-/-/-//" : failAt >= 9 && failAt <= 13 ? computerName[failAt - 9] : "";
        EXPECT_EQ(kept.empty() && failAt < 72 ? refused.substr(0, 3) : refused, failAt == 72 ? clean : "no " + kept);
        heap.failAt = 0;
        EXPECT_EQ(Sweep(Figures(), std::move(report)), clean) << "sweeping again";
        EXPECT_EQ(heap.liveBlocks + heap.badReleases, 0u);
    }
}

// --- The snapshot file and the list planned against it ----------------------

std::string Saved(const char* text) { std::string bytes; EncodeSnapshot(text, bytes); return bytes; }
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

std::string Paths(const std::string& appData)
{
    std::vector<char> folder(260);
    return Into(260, [&](char* file, size_t n) { return ComposeSnapshotPaths(appData.c_str(), "PC", folder.data(), file, n); }) +
           " in " + folder.data();
}

TEST(SnapshotFile, IsSavedByteForByteLoadedAsATextStreamComparedWholeAndNeverMisplaced)
{
    const std::string data = "\\[hollowpinestudio]TallyviewData", fits(259 - data.size() - strlen("\\PC.txt"), 'a');
    ExpectCases({
        {"saved bytes", Saved("ab\n\ncd"), "ab\r\n\r\ncd\0"s}, {"nothing saved", Saved(nullptr) + Saved(""), "\0\0"s},
        {"one NUL", Loaded("\0"s), "|1"}, {"empty file", Loaded(""), "|0"},
        {"last line ends in CR LF", Loaded("ab\r\ncd\r\n"), "ab\ncd\n|2"},
        {"lone CRs stay", Loaded("a\rb\r"), "a\rb\r|1"}, {"CR before CR LF", Loaded("a\r\r\nb"), "a\r\nb|2"},
        {"NUL drops the rest of its read", Loaded("a\0b\r\nc\0\r\n"s), "ac|2"},
        {"long file", Loaded(std::string(1000000, 'x')), std::string(127999, 'x') + "|1"},
        {"line feed fills the text", Loaded(std::string(127998, 'y') + "\r\nz"), std::string(127998, 'y') + "\n|1"},
        {"same", Equal("PC7\nCPU", "PC7\nCPU"), "yes"}, {"absent and empty", Equal(nullptr, ""), "yes"},
        {"final line feed", Equal("PC7", "PC7\n"), "no"}, {"trailing blank", Equal("PC7 ", "PC7"), "no"},
        {"paths", Paths("C:\\D"), "C:\\D" + data + "\\PC.txt in C:\\D" + data},
        {"259 and 260 characters", Paths(fits) + "|" + Paths(fits + "a").substr(0, 10), fits + data + "\\PC.txt in " + fits + data + "|<refused:>"},
    });
}

// Label and value widths, window left, top, width, height, the two columns,
// then the list's and the button's left, top, width and height.
std::string Layout(const RenderMeasures& measures, int32_t rowCounter, int32_t missingCount)
{
    WindowLayout layout;
    ComputeWindowLayout(measures, rowCounter, missingCount, PixelRect{0, 0, 1024, 738}, layout);
    int32_t fields[sizeof(layout) / sizeof(int32_t)];
    memcpy(fields, &layout, sizeof(fields));
    return Entries(fields, sizeof(layout) / sizeof(int32_t), " ");
}

struct Row { const char *label, *value, *record; bool alternate; };  // no record: an information row
std::vector<Row> Cpus(int count) { return std::vector<Row>(count, Row{"CPU", "C", "C", false}); }
std::string Lines(int count) { return count > 1 ? Lines(count - 1) + "\nC" : "C"; }

// Plans the finished report of `rows` against a stored text counted as
// `lineCount` lines: "icon label=value" per row, the row counter, the missing
// count and the match flags.
std::string Plan(const std::vector<Row>& rows, const std::string& stored, uint32_t lineCount, bool compare = true,
                 bool flags = true)
{
    SnapshotReport report{};
    BeginReport(report);
    for (const Row& row : rows)
        AppendRow(report, row.label, row.value, row.record, row.alternate, row.record != nullptr ? 1 : 0);
    FinishReport(report);
    std::vector<int32_t> matched(flags ? lineCount : 0, 7);
    RenderPlan plan;
    PlanReportRows(report, StoredSnapshot{stored.c_str(), lineCount, flags ? matched.data() : nullptr}, compare, plan);
    std::string summary;
    for (const PlannedRow& row : plan.rows)
        summary += std::to_string(row.icon) + " " + std::string(row.label.text, row.label.length) + "=" +
                   std::string(row.value.text, row.value.length) + " | ";
    FreeReport(report);
    return summary + std::to_string(plan.rowCounter) + "/" + std::to_string(plan.missingCount) + " " +
           Entries(matched.data(), (int32_t)matched.size());
}

TEST(RenderPlan, MarksChangedRowsListsUnmatchedStoredLinesAndSizesTheWindow)
{
    const std::vector<Row> sweep = {
        {"USERNAME", "alice", nullptr, true}, {"COMPUTERNAME", "PC7", "PC7", true}, {"CPU", "CPU-A", "CPU-A", false}};
    const std::vector<Row> pc = {sweep[1]};
    const std::string longLine(130000, 'v'), cut(127999, 'v'), c = "1 CPU=C | ", m = "4 MISSING=C | ";
    ExpectCases({
        {"worked example", Plan(sweep, "PC7\nCPU-B\nDISK-C", 3),
         "1 USERNAME=alice | 0 COMPUTERNAME=PC7 | 3 CPU=CPU-A | 4 MISSING=CPU-B | 4 MISSING=DISK-C | 2/2 100"},
        {"no snapshot yet", Plan(sweep, "", 0), "1 USERNAME=alice | 2 COMPUTERNAME=PC7 | 3 CPU=CPU-A | 2/0 "},
        {"surrounding blanks", Plan({{"CPU", " A ", " A ", false}}, "\t A  ", 1), "1 CPU= A  | 0/0 1"},
        {"carriage return is content", Plan(pc, "PC7\r", 1), "3 COMPUTERNAME=PC7 | 4 MISSING=PC7\r | 0/1 0"},
        {"missing shown untrimmed", Plan(pc, "PC7\n  DISK \t", 2), "1 COMPUTERNAME=PC7 | 4 MISSING=  DISK \t | 0/1 10"},
        {"count above the lines", Plan(pc, "PC7", 3), "1 COMPUTERNAME=PC7 | 4 MISSING= | 4 MISSING= | 0/2 100"},
        {"empty last row", Plan({pc[0], {"SOUND", "", "", false}}, "PC7\n", 2), "1 COMPUTERNAME=PC7 | 0 SOUND= | 1/0 11"},
        {"only record line empty", Plan({{"DISPLAY", "X", "", false}}, "", 1), "1 DISPLAY=X | 0/0 1"},
        {"not compared", Plan(sweep, "OTHER", 1, false), "1 USERNAME=alice | 0 COMPUTERNAME=PC7 | 1 CPU=CPU-A | 2/0 0"},
        {"no match flags", Plan(pc, "PC7", 1, true, false), "3 COMPUTERNAME=PC7 | 4 MISSING=PC7 | 0/1 "},
        {"empty report", Plan({}, "PC7", 1), "4 MISSING=PC7 | 0/1 0"},
        {"cut at 127999", Plan({{"CPU", longLine.c_str(), longLine.c_str(), false}}, cut, 1), "1 CPU=" + cut + " | 0/0 1"},
        {"4 -> 4 identical", Plan(Cpus(4), Lines(4), 4), c + c + c + c + "3/0 1111"},
        {"4 -> 8 identical", Plan(Cpus(8), Lines(4), 4), c + c + c + c + "3 CPU=C | 3 CPU=C | 3 CPU=C | 3 CPU=C | 7/0 1111"},
        {"8 -> 4 identical", Plan(Cpus(4), Lines(8), 8), c + c + c + c + m + m + m + m + "3/4 11110000"},
        {"2 -> 3 identical", Plan(Cpus(3), Lines(2), 2), c + c + "3 CPU=C | 2/0 11"},
        // The window around the worked example's plan: 2 + 2 rows, so 17 x 4 + T + 69 high.
        {"window of the worked example", Layout({100, 200, 50, false, 18, 3}, 2, 2), "116 200 643 583 381 155 131 220 12 11 351 90 12 109 351 10 "},
        {"wider stored text", Layout({80, 150, 300, false, 20, 4}, 5, 1), "96 300 563 547 461 191 111 320 11 11 431 126 11 143 431 10 "},
        {"empty stored text", Layout({80, 150, 300, true, 20, 4}, 5, 1), "96 150 713 547 311 191 111 170 11 11 281 126 11 143 281 10 "},
        {"sweeps after 10 s, 11 s, a clock set back",
         YesNo(SweepIsDue(1010, 1000)) + YesNo(SweepIsDue(1011, 1000)) + YesNo(SweepIsDue(995, 1000)), "noyesyes"},
    });
}

// --- Texts the user reads, paths, placement ----------------------------------

const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const std::string kPageName = kCaption + " - Internet Referrering Page.htm"s;  // 62 characters

std::string Composed(void (*compose)(const char*, char*, size_t), const std::string& input) { return Into(1024, [&](char* o, size_t n) { compose(input.c_str(), o, n); return true; }); }
std::string PagePath(const char* temp, const char* tmp) { return Into(260, [&](char* o, size_t n) { return ComposeReferrerPagePath(temp, tmp, kPageName.c_str(), o, n); }); }
std::string Accepts(const std::string& line, const std::string& s) { return YesNo(MarkerAcceptsTerms(line.c_str(), s.c_str())); }
std::string Intact(const std::string& address, const char* digest) { return YesNo(DonationAddressIsIntact(address.c_str(), digest)); }
std::string Digest(const std::string& bytes) { char digest[kDigestTextSize]; DigestBytes(bytes.data(), bytes.size(), digest); return digest; }

TEST(Texts, MarkerHoldsTheSentenceAndAcceptsItLessItsStopAfterTrimming)
{
    const std::string s = Composed(ComposeAcceptanceSentence, kCaption);
    ExpectCases({
        {"sentence", s, "The Terms and Conditions and Disclaimer for 'Tallyview-ZezedazUrod v1.4.0.0' have been accepted."},
        {"blanks around", Accepts(" \t\n" + s + " \t\n", s), "yes"}, {"more after it", Accepts(s + " and more", s), "yes"},
        {"no stop", Accepts(s.substr(0, s.size() - 1), s), "yes"}, {"one more short", Accepts(s.substr(0, s.size() - 2), s), "no"},
        {"CR before", Accepts("\r" + s, s), "no"}, {"empty sentence", Accepts("anything", ""), "no"},
    });
}

TEST(Texts, ReferrerPageAndUpdateAddressAreExactAndNeverCut)
{
    const char* address = "https://pay.example/x?a=1&b=%s";
    const std::string page = "<html>\n<head>\n<title>" + kPageName + "</title>\n</head>\n\n<body>\n\n<font face=\"arial\" size=\"4\">\n\n"
        "Click to visit.....\n\n<br><br>\n\n<a href=\"" + address + "\">" + address + "</a><br><br>\n\n</font>\n\n<br><br>\n\n"
        "<table border=\"0\" width=\"400\">\n<td>\n<font face=\"arial\" size=\"2\">\n[<a href=\"https://www.example.com\">HollowpineStudio"
        "</a> (and it's associates) cannot be held responsible for the content of linked internet sites/pages.\nThe content "
        "of linked internet sites/pages is the property of their respective owners.]\n</font>\n</td>\n</table>\n\n</body>\n</html>";
    auto pageIn = [&](char* out, size_t n) { return ComposeReferrerPageText(kPageName.c_str(), address, out, n); };
    auto update = [](const char* product) { return [=](char* o, size_t n) { return ComposeUpdateCheckAddress(product, kVersionString, o, n); }; };
    const std::string room(259 - kPageName.size(), 'r'), fits(room.size() - 1, 'f'), tooLong = room + "r";
    ExpectCases({
        {"page name", Composed(ComposeReferrerPageName, kCaption), "Tallyview-ZezedazUrod v1.4.0.0 - Internet Referrering Page.htm"},
        {"name cut to 259", Composed(ComposeReferrerPageName, std::string(300, 'c')), std::string(259, 'c')},
        {"TEMP first, then TMP", PagePath("C:\\Temp", "D:\\Tmp") + "|" + PagePath("", "D:\\Tmp"), "C:\\Temp\\" + kPageName + "|D:\\Tmp\\" + kPageName},
        {"slash gets a backslash", PagePath("C:/T/", nullptr), "C:/T/\\" + kPageName}, {"both unset", PagePath(nullptr, nullptr), "<refused:>"},
        {"259 and 260 characters", PagePath(fits.c_str(), "") + "|" + PagePath(room.c_str(), ""), fits + "\\" + kPageName + "|<refused:>"},
        {"ends in a backslash", PagePath((fits + "\\").c_str(), ""), fits + "\\" + kPageName},
        {"TMP too long, unused", PagePath("C:\\T", tooLong.c_str()), "<refused:>"},
        {"TMP as long as allowed", PagePath("C:\\T", room.c_str()), "C:\\T\\" + kPageName},
        {"page, exact fit", Into(page.size() + 1, pageIn), page}, {"page, one byte short", Into(page.size(), pageIn), "<refused:>"},
        {"update address", Into(520, update(kProductPageAddress)),
         "https://www.example.com/software/tallyview\\version_checker.pl?version=Tallyview v1.4.0.0"},
    });
}

TEST(Texts, DonationAddressPassesItsSha256CheckAndAnyAlterationFailsIt)
{
    const std::string a = kDonationAddress, digest = kExpectedDonationDigest;
    std::string everyByte;
    for (int i = 0; i < 256; ++i) everyByte += (char)i;
    ExpectCases({
        {"55 bytes", Digest(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"every byte", Digest(everyByte), "40aff2e9d2d8922e47afd4648e6967497158785fbd1da870e7110266bf944880"},
        {"address", a, "https://payments.example.org/cgi-bin/webscr?cmd=_xclick&business=donate@example.com"
         "&no_note=1&currency_code=GBP&tax=0&bn=PP-DonationsBF"},
        {"intact", Intact(a, digest.c_str()), "yes"}, {"last character changed", Intact(a.substr(0, a.size() - 1) + "G", digest.c_str()), "no"},
        {"digest a digit short", Intact(a, digest.substr(0, 63).c_str()), "no"}, {"no digest", Intact(a, nullptr), "no"},
    });
}

// Applies a query's answer, from a buffer of exactly the queried size, over a location found earlier.
std::string Folder(const std::string& bytes, uint32_t count, size_t cut = 0, uint32_t type = 1, bool read = true)
{
    std::vector<char> buffer(kShellFolderValueSize, 'Z');
    memcpy(buffer.data(), bytes.data(), std::min(bytes.size(), buffer.size()));
    ShellFolderLocation location{"C:\\Earlier", 1};
    ApplyShellFolderValue(read, type, buffer.data(), count, cut, location);
    return std::to_string(location.found) + " " + location.path;
}

std::string LinkPath(const std::string& folder) { return Into(520, [&](char* o, size_t n) { return ComposeLinkPath(folder.c_str(), "T.lnk", o, n); }); }
std::string WorkingDirectory(const char* program, size_t size = 520) { return Into(size, [&](char* o, size_t n) { return DeriveWorkingDirectory(program, o, n); }); }

TEST(Links, ShellFolderValuesLinkPathsAndWorkingDirectoriesAreNeverCut)
{
    const std::string full(260, 'p'), data = "C:\\" + std::string(247, 'd'), quick = "\\Microsoft\\Internet Explorer\\Quick Launch";
    ExpectCases({
        {"trimmed", Folder(" \t C:\\Desktop\n\0"s, 15), "1 C:\\Desktop"}, {"CR kept", Folder("C:\\D\r\n\0"s, 7), "1 C:\\D\r"},
        {"one character", Folder(" C \0"s, 4), "0 C:\\Earlier"}, {"expandable", Folder("C:\\D\0"s, 5, 0, 2), "0 C:\\Earlier"},
        {"query failed", Folder("C:\\D\0"s, 5, 0, 1, false), "0 C:\\Earlier"}, {"ends at the byte count", Folder("C:\\DJUNK", 4), "1 C:\\D"},
        {"260 bytes, no terminator", Folder(full, 260), "1 " + full}, {"count past the buffer", Folder(full, 5000), "1 " + full},
        {"user Quick Launch", Folder(data + '\0', 251, kUserQuickLaunchCut), "1 " + data.substr(0, 218) + quick},
        {"machine Quick Launch", Folder(full, 260, kMachineQuickLaunchCut), "1 " + full + quick},
        {"link", LinkPath("C:\\Desktop"), "C:\\Desktop\\T.lnk"}, {"no folder", LinkPath(""), "<refused:>"},
        {"link too long", LinkPath(std::string(514, 'f')), "<refused:>"},
        {"program folder", WorkingDirectory("C:\\Tools\\x.exe"), "C:\\Tools"}, {"root", WorkingDirectory("C:\\x.exe"), "C:"},
        {"no folder in the path", WorkingDirectory("x.exe"), ""}, {"small buffer", WorkingDirectory("C:\\Tools\\x.exe", 8), "<refused:>"},
    });
}

const PixelRect kWork = {100, 50, 1380, 820};
std::string Rect(const PixelRect& r) { return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom); }
std::string Caption(const char* name, bool maker) { char out[128]; ComposeDialogCaption(kCaption, name, maker, out, sizeof(out)); return out; }
std::string Centred(PixelRect own, PixelRect parent, PixelRect restored) { return Rect(CentreInWorkArea(own, true, parent, restored, kWork)); }

TEST(PlaceWindow, DialogsAreCaptionedCentredOnTheirParentAndPulledIntoTheWorkArea)
{
    ExpectCases({
        {"captions", Caption("Links", true) + "|" + Caption("Options", false), "Tallyview-ZezedazUrod v1.4.0.0 - Links - HOLLOWPINESTUDIO|Tallyview-ZezedazUrod v1.4.0.0 - Options"},
        {"on the restored parent", Centred({0, 0, 200, 101}, {500, 500, 900, 800}, {200, 150, 600, 450}), "300,250,500,351"},
        {"negative odd parent", Centred({0, 0, 5, 7}, {103, 200, 100, 200}, {300, 300, 297, 300}), "297,297,302,304"},
        {"negative odd window", Centred({5, 7, 0, 0}, {0, 0, 100, 100}, {300, 300, 400, 400}), "352,353,347,346"},
        {"no parent", Rect(CentreInWorkArea({10, 10, 310, 210}, false, {}, {}, kWork)), "590,335,890,535"},
        {"too large: left and top win", Rect(CentreInWorkArea({0, 0, 1500, 900}, false, {}, {}, kWork)), "100,50,1600,950"},
        {"moved far right", Rect(MoveIntoWorkArea({100, 100, 533, 612}, 20000, 60, kWork)), "947,60,1380,572"},
    });
}

}  // namespace
