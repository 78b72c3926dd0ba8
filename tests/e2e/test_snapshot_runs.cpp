// Whole runs of the built program against its per-computer snapshot file,
// driven from outside: the driver points the user's "AppData" folder at a
// fresh folder, starts tallyview.exe, reads its window and its list view
// from this process, closes it and checks the file it leaves behind.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver_support.h"
#include "remote_list_view.h"

static const char kMissingLabel[] = "MISSING";
static const char kForeignCpuLine[] = "FOREIGN-CPU [@~1MHz]";
static const int kMissingImage = 4;

// ---------------------------------------------------------------------------
// Files of the driver's own.

static bool LastWriteTime(const std::string& path, FILETIME& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    time = data.ftLastWriteTime;
    return true;
}

// Puts the last-write time far in the past, so that any rewrite shows.
static bool AgeFile(const std::string& path)
{
    SYSTEMTIME old = {2001, 1, 1, 1, 12, 0, 0, 0};
    FILETIME time;
    if (!SystemTimeToFileTime(&old, &time))
        return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = SetFileTime(file, NULL, NULL, &time) != FALSE;
    return CloseHandle(file) && ok;
}

// ---------------------------------------------------------------------------
// The snapshot file's bytes.

// The file's lines, after checking its frame: lines joined by CR LF, then
// exactly one NUL and nothing after it. Empty `problem` when well formed.
static std::vector<std::string> SnapshotLines(const std::string& bytes, std::string& problem)
{
    std::vector<std::string> lines;
    problem.clear();
    if (bytes.empty() || bytes.back() != '\0') {
        problem = "does not end with a NUL byte";
        return lines;
    }
    std::string text = bytes.substr(0, bytes.size() - 1);
    if (text.find('\0') != std::string::npos) {
        problem = "holds a NUL byte before its end";
        return lines;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            problem = "holds a line feed without a carriage return";
            return lines;
        }
    }
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

static std::string EncodeLines(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            bytes += "\r\n";
        bytes += lines[i];
    }
    bytes += '\0';
    return bytes;
}

// ---------------------------------------------------------------------------
// What the window's rows say.

// Rows whose record line goes into the snapshot file.
static bool IsConfigurationLabel(const std::string& label)
{
    static const char* const labels[] = {"COMPUTERNAME", "CPU", "RAM", "DISPLAY",
                                         "MEDIA", "NETWORK", "USB", "DRIVE"};
    for (const char* configuration : labels)
        if (label == configuration)
            return true;
    return false;
}

// Rows whose record line is their value as shown.
static bool RecordsItsValue(const std::string& label)
{
    return IsConfigurationLabel(label) && label != "RAM" && label != "DRIVE";
}

static bool IsPlainImage(int image)
{
    return image == 0 || image == 1;
}

static bool IsChangedImage(int image)
{
    return image == 2 || image == 3;
}

static std::string DescribeRows(const std::vector<ListRow>& rows)
{
    std::string text;
    for (const ListRow& row : rows)
        text += "  [" + std::to_string(row.image) + "] " + row.label + " | " + row.value + "\n";
    return text;
}

static std::vector<std::string> ValuesOf(const std::vector<ListRow>& rows, const char* label)
{
    std::vector<std::string> values;
    for (const ListRow& row : rows)
        if (row.label == label)
            values.push_back(row.value);
    return values;
}

static size_t CountLabel(const std::vector<ListRow>& rows, const char* label)
{
    return ValuesOf(rows, label).size();
}

// The file written at exit holds one line per configuration row, in row
// order, beginning with this computer's name and then its processors.
static void ExpectSnapshotOfRows(const std::string& bytes, const std::vector<ListRow>& rows)
{
    std::string problem;
    std::vector<std::string> lines = SnapshotLines(bytes, problem);
    ASSERT_EQ(problem, "") << "snapshot file " << Printable(bytes);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], ThisComputerName()) << Printable(bytes);

    std::vector<std::string> cpuValues = ValuesOf(rows, "CPU");
    for (size_t i = 0; i < cpuValues.size(); ++i) {
        ASSERT_LT(i + 1, lines.size()) << "no line for processor " << i << " in "
                                       << Printable(bytes);
        EXPECT_EQ(lines[i + 1], cpuValues[i]) << "processor " << i << " in " << Printable(bytes);
    }

    std::vector<const ListRow*> configurationRows;
    for (const ListRow& row : rows)
        if (IsConfigurationLabel(row.label))
            configurationRows.push_back(&row);
    ASSERT_EQ(lines.size(), configurationRows.size())
        << "one line per configuration row expected; file " << Printable(bytes) << "\nrows:\n"
        << DescribeRows(rows);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (RecordsItsValue(configurationRows[i]->label)) {
            EXPECT_EQ(lines[i], configurationRows[i]->value) << "line " << i;
        } else {
            EXPECT_NE(lines[i], "") << "line " << i;
        }
    }
}

// ---------------------------------------------------------------------------
// The information window.

static int TitleBarHeight(HWND window)
{
    TITLEBARINFO titleBar;
    ZeroMemory(&titleBar, sizeof(titleBar));
    titleBar.cbSize = sizeof(titleBar);
    if (!GetTitleBarInfo(window, &titleBar))
        return -1;
    return titleBar.rcTitleBar.bottom - titleBar.rcTitleBar.top;
}

// 17 pixels per row after the first, plus the title bar and the frame.
static void ExpectHeightForRows(HWND window, size_t rowCount)
{
    ASSERT_GT(rowCount, 0u);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    int titleHeight = TitleBarHeight(window);
    ASSERT_GE(titleHeight, 0);
    EXPECT_EQ(rect.bottom - rect.top, 17 * ((int)rowCount - 1) + titleHeight + 69)
        << rowCount << " rows, title bar " << titleHeight;
}

// ---------------------------------------------------------------------------

class SnapshotRun : public ProgramRun {
protected:
    void ReadRows(HWND window, std::vector<ListRow>& rows)
    {
        HWND list = GetDlgItem(window, kReportListId);
        ASSERT_NE(list, (HWND)NULL) << "no list view 1025";
        char className[64] = "";
        GetClassNameA(list, className, sizeof(className));
        ASSERT_STREQ(className, "SysListView32");
        std::string failure;
        ASSERT_TRUE(ReadRemoteListView(list, rows, failure)) << failure;
        ASSERT_FALSE(rows.empty()) << "the list is empty";
    }

    // Starts the program and reads its rows once its window shows.
    void StartAndReadShownWindow(HWND& window, std::vector<ListRow>& rows)
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        window = WaitForShownWindow();
        ASSERT_NE(window, (HWND)NULL) << "the window did not show; " << EndState();
        ASSERT_NO_FATAL_FAILURE(ReadRows(window, rows));
    }

    // A first start on this computer, closed at once: leaves the snapshot.
    void RunFirstStart(std::vector<ListRow>& rows, std::string& bytes)
    {
        HWND window = NULL;
        ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));
        ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
        ASSERT_TRUE(ReadBytes(SnapshotPath(), bytes)) << "no snapshot after the first start";
        std::string problem;
        SnapshotLines(bytes, problem);
        ASSERT_EQ(problem, "") << Printable(bytes);
    }
};

TEST_F(SnapshotRun, FirstStartShowsEveryConfigurationRowChangedAndSavesAtClose)
{
    HWND window = NULL;
    std::vector<ListRow> rows;
    ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));

    EXPECT_TRUE(FolderExists(DataFolder())) << "the data folder is made at start";
    EXPECT_FALSE(FileExists(SnapshotPath())) << "nothing is written before the end";

    RECT rect;
    RECT workArea;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0));
    EXPECT_EQ(rect.right, workArea.right);
    EXPECT_EQ(rect.bottom, workArea.bottom);
    EXPECT_NO_FATAL_FAILURE(ExpectHeightForRows(window, rows.size()));

    std::vector<std::string> names = ValuesOf(rows, "COMPUTERNAME");
    ASSERT_EQ(names.size(), 1u) << DescribeRows(rows);
    EXPECT_EQ(names[0], computerName);
    EXPECT_EQ(CountLabel(rows, kMissingLabel), 0u) << DescribeRows(rows);
    for (const ListRow& row : rows) {
        if (IsConfigurationLabel(row.label))
            EXPECT_TRUE(IsChangedImage(row.image)) << row.label << " | " << row.value;
        else
            EXPECT_TRUE(IsPlainImage(row.image)) << row.label << " | " << row.value;
    }

    ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), bytes)) << "no snapshot at " << SnapshotPath();
    ExpectSnapshotOfRows(bytes, rows);
}

TEST_F(SnapshotRun, UnchangedSecondStartEndsWithoutWindowAndLeavesTheFile)
{
    std::vector<ListRow> rows;
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(rows, saved));
    ASSERT_TRUE(AgeFile(SnapshotPath()));
    FILETIME before;
    ASSERT_TRUE(LastWriteTime(SnapshotPath(), before));

    ASSERT_NO_FATAL_FAILURE(StartProgram());
    bool shown = false;
    bool ended = false;
    ULONGLONG deadline = GetTickCount64() + kEndTimeoutMs;
    while (!ended && GetTickCount64() < deadline) {
        // Any window of that caption counts, a message box too.
        HWND window = FindProgramWindow(process.dwProcessId, kCaption, NULL);
        if (window != NULL && !shown) {
            shown = true;
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        ended = WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0;
    }
    EXPECT_FALSE(shown) << "the window showed although nothing changed";
    EXPECT_TRUE(ended) << "the program did not end by itself";
    EXPECT_EQ(WaitForEnd(), 1u);

    std::string after;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
    EXPECT_EQ(after, saved);
    FILETIME afterTime;
    ASSERT_TRUE(LastWriteTime(SnapshotPath(), afterTime));
    EXPECT_EQ(CompareFileTime(&before, &afterTime), 0) << "the file was written again";
}

TEST_F(SnapshotRun, ReplacedProcessorLineMarksItsRowAndListsTheOldLineAsMissing)
{
    std::vector<ListRow> firstRows;
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(firstRows, saved));
    size_t cpuCount = CountLabel(firstRows, "CPU");
    ASSERT_GT(cpuCount, 0u) << "no processor rows to replace:\n" << DescribeRows(firstRows);
    std::string problem;
    std::vector<std::string> lines = SnapshotLines(saved, problem);
    ASSERT_GT(lines.size(), cpuCount);
    // Processor lines follow the computer name; replace the last of them.
    lines[cpuCount] = kForeignCpuLine;
    ASSERT_TRUE(WriteBytes(SnapshotPath(), EncodeLines(lines)));

    HWND window = NULL;
    std::vector<ListRow> rows;
    ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));
    SCOPED_TRACE("rows:\n" + DescribeRows(rows));

    // Current rows use up stored lines one for one, so of identical
    // processors only the one without a stored line left is marked.
    size_t lastCpuRow = rows.size();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].label == "CPU")
            lastCpuRow = i;
    ASSERT_LT(lastCpuRow, rows.size());
    EXPECT_TRUE(IsChangedImage(rows[lastCpuRow].image)) << "the replaced processor's row";
    size_t changedCount = 0;
    for (const ListRow& row : rows)
        if (IsChangedImage(row.image))
            ++changedCount;
    EXPECT_EQ(changedCount, 1u) << "only the replaced processor counts as changed";

    std::vector<std::string> names = ValuesOf(rows, "COMPUTERNAME");
    ASSERT_EQ(names.size(), 1u);
    for (const ListRow& row : rows) {
        if (row.label == "COMPUTERNAME") {
            EXPECT_TRUE(IsPlainImage(row.image)) << "the computer name did not change";
        }
    }

    ASSERT_EQ(CountLabel(rows, kMissingLabel), 1u);
    EXPECT_EQ(rows.back().label, kMissingLabel) << "missing lines come after the data rows";
    EXPECT_EQ(rows.back().value, kForeignCpuLine);
    EXPECT_EQ(rows.back().image, kMissingImage);
    EXPECT_NO_FATAL_FAILURE(ExpectHeightForRows(window, rows.size()));

    ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
    std::string after;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
    EXPECT_EQ(after, saved) << "the exit writes this computer's lines";
}

TEST_F(SnapshotRun, SameLinesInAnotherOrderStillCountAsAChange)
{
    std::vector<ListRow> firstRows;
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(firstRows, saved));
    std::string problem;
    std::vector<std::string> lines = SnapshotLines(saved, problem);
    ASSERT_GE(lines.size(), 2u) << "needs two lines to reorder: " << Printable(saved);
    // The computer name goes last.
    lines.push_back(lines.front());
    lines.erase(lines.begin());
    ASSERT_TRUE(WriteBytes(SnapshotPath(), EncodeLines(lines)));

    HWND window = NULL;
    std::vector<ListRow> rows;
    ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));
    SCOPED_TRACE("rows:\n" + DescribeRows(rows));
    EXPECT_EQ(CountLabel(rows, kMissingLabel), 0u) << "every stored line still exists";
    for (const ListRow& row : rows) {
        EXPECT_TRUE(IsPlainImage(row.image)) << row.label << " | " << row.value;
    }

    ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
    std::string after;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), after));
    EXPECT_EQ(after, saved) << "the exit writes the lines in row order";
}

TEST_F(SnapshotRun, EndOfSessionSavesBeforeAnsweringAndEndsTheProgram)
{
    HWND window = NULL;
    std::vector<ListRow> rows;
    ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));
    ASSERT_FALSE(FileExists(SnapshotPath()));

    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL,
                                       kEndTimeoutMs, &answer);
    EXPECT_NE(sent, 0) << "WM_QUERYENDSESSION got no answer, error " << GetLastError();
    EXPECT_TRUE(FileExists(SnapshotPath())) << "the snapshot is saved before the answer";

    EXPECT_EQ(WaitForEnd(), 1u);
    std::string bytes;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), bytes)) << "no snapshot at " << SnapshotPath();
    ExpectSnapshotOfRows(bytes, rows);
}

TEST_F(SnapshotRun, GarbageFileIsShownAsChangedAndReplacedAtClose)
{
    // Fixed pseudo-random bytes: NULs, lone CRs and LFs, bytes above 127.
    std::string garbage;
    unsigned int state = 12345;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += (char)(state >> 16);
    }
    ASSERT_TRUE(CreateDirectoryA(DataFolder().c_str(), NULL));
    ASSERT_TRUE(WriteBytes(SnapshotPath(), garbage));

    HWND window = NULL;
    std::vector<ListRow> rows;
    ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));
    SCOPED_TRACE("rows:\n" + DescribeRows(rows));
    EXPECT_GE(CountLabel(rows, kMissingLabel), 1u) << "the stored lines are all gone";
    for (const ListRow& row : rows) {
        if (row.label == kMissingLabel)
            EXPECT_EQ(row.image, kMissingImage);
        else if (IsConfigurationLabel(row.label))
            EXPECT_TRUE(IsChangedImage(row.image)) << row.label << " | " << row.value;
        else
            EXPECT_TRUE(IsPlainImage(row.image)) << row.label << " | " << row.value;
    }
    std::vector<ListRow> dataRows;
    for (const ListRow& row : rows)
        if (row.label != kMissingLabel)
            dataRows.push_back(row);

    ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), bytes));
    ExpectSnapshotOfRows(bytes, dataRows);
}

TEST_F(SnapshotRun, ReplacedDeviceAndReformattedDriveShowAsChanges)
{
    std::vector<ListRow> firstRows;
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(RunFirstStart(firstRows, saved));
    std::vector<std::string> displays = ValuesOf(firstRows, "DISPLAY");
    std::vector<std::string> drives = ValuesOf(firstRows, "DRIVE");
    ASSERT_FALSE(displays.empty()) << DescribeRows(firstRows);
    ASSERT_FALSE(drives.empty()) << DescribeRows(firstRows);

    // The saved display adapter was another one, and the first drive had
    // another file system.
    std::string problem;
    std::vector<std::string> lines = SnapshotLines(saved, problem);
    const std::string oldAdapter = "Old Display Adapter";
    const std::string oldDrive = drives[0].substr(0, 5) + "Old Volume 1.00GB FAT32";
    bool replacedAdapter = false;
    bool replacedDrive = false;
    for (std::string& line : lines) {
        if (!replacedAdapter && line == displays[0]) {
            line = oldAdapter;
            replacedAdapter = true;
        } else if (!replacedDrive && line.compare(0, 5, drives[0].substr(0, 5)) == 0) {
            line = oldDrive;
            replacedDrive = true;
        }
    }
    ASSERT_TRUE(replacedAdapter && replacedDrive) << Printable(saved);
    ASSERT_TRUE(WriteBytes(SnapshotPath(), EncodeLines(lines)));

    HWND window = NULL;
    std::vector<ListRow> rows;
    ASSERT_NO_FATAL_FAILURE(StartAndReadShownWindow(window, rows));
    SCOPED_TRACE("rows:\n" + DescribeRows(rows));
    size_t markedDisplays = 0;
    size_t markedDrives = 0;
    for (const ListRow& row : rows) {
        markedDisplays += row.label == "DISPLAY" && IsChangedImage(row.image);
        markedDrives += row.label == "DRIVE" && IsChangedImage(row.image);
    }
    EXPECT_EQ(markedDisplays, 1u);
    EXPECT_EQ(markedDrives, 1u);
    std::vector<std::string> missing = ValuesOf(rows, kMissingLabel);
    EXPECT_EQ(missing, (std::vector<std::string>{oldAdapter, oldDrive}));
    ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
}
