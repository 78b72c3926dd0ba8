// Whole runs of the built tallyview.exe, driven from outside as a person or an
// automation tool would: each scenario is a row of set-up steps, actions and
// expectations, walked by one runner in fresh folders with the user's
// "AppData" pointed at one of them.

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>

#include "driver.h"

static const std::string kCaption = "Tallyview-ZezedazUrod v1.4.0.0";
static const std::string kOptions = kCaption + " - Options - HOLLOWPINESTUDIO";
static const std::string kLinks = kCaption + " - Links - HOLLOWPINESTUDIO";
static const std::string kDonate = kCaption + " - Donate - HOLLOWPINESTUDIO";
static const std::string kMarker = "TermsAccepted-Tallyview_DozidodUder.txt";
static const std::string kAccepted =
    "The Terms and Conditions and Disclaimer for '" + kCaption + "' have been accepted.";
static const std::string kDataFolder = "[hollowpinestudio]TallyviewData";
static const std::string kPage = kCaption + " - Internet Referrering Page.htm";
static const std::string kLinkName = "Tallyview-ZezedazUrod [HollowpineStudio].lnk";
static const std::string kProduct = "https://www.example.com/software/tallyview";
static const std::string kDonation = "https://payments.example.org/cgi-bin/webscr?cmd=_xclick&business=donate@example.com&no_note=1&currency_code=GBP&tax=0&bn=PP-DonationsBF";
static const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
static const std::string kQuickLaunch = "\\Microsoft\\Internet Explorer\\Quick Launch";
static const char* const kConfigurationLabels[] = {"COMPUTERNAME", "CPU", "RAM", "DISPLAY",
                                                   "MEDIA", "NETWORK", "USB", "DRIVE"};
static const char kForeignCpu[] = "FOREIGN-CPU [@~1MHz]";

static const std::string kHelp = "This build of Tallyview is operating in ZezedazUrod (with no option not to).\n\nWhen in network mode, Tallyview creates a folder in the current users' My Documents folder called '[hollowpinestudio]TallyviewData' and stores a data file for every computer used therein (referenced by the COMPUTERNAME). When in network mode, Tallyview will only display information if the machine configuration has altered since the last data was saved.";
static const std::string kNote = "\n\nPLEASE NOTE: This will generate a HTML page that can be checked for routed personal information by viewing the source. Your firewall will not be queried for permission.";
static const std::string kVisit = "Visit the Tallyview Internet & Forum Site?" + kNote;
static const std::string kUpdate = "Check for Tallyview updates?" + kNote;
static const std::string kDisclaimer = "LEGAL DISCLAIMER: This software [" + kCaption + "] is supplied with no warranties given for any purpose whatsoever. \n\nClick 'Yes' to Accept these terms and continue with use of this software; Click 'No' to reject these terms and discontinue use of this software.";
static const std::string kOffer = "This is the first time you have run this version of this application.\n\nCreate links/shortcuts to " + kCaption + "?";
static const std::string kThanks = "The donation URL...\n\n'" + kDonation + "'\n\n... for this software...\n\n'" + kCaption + "'\n\n...has been *checked* for correctness (It is possible that the URL has been altered by a third party; always check a important URL begins with a known domain).\n\nFor better security, please use the donate button that can be found on https://www.example.com internet pages.";
static const std::string kHacked = "WARNING: The URL for internet donations to https://www.example.com appears to have been hacked (or is incorrect or corrupted in some way). You should download the latest version of this software immediately _direct_ from https://www.example.com, and stop using this hacked/corrupted software. Also, if you have time, please email the donate@example.com to inform where you originally obtained this software from.";

// The referrer page for an address, as text mode writes it.
static std::string Page(const std::string& address)
{
    return "<html>\r\n<head>\r\n<title>" + kPage + "</title>\r\n</head>\r\n\r\n<body>\r\n\r\n"
           "<font face=\"arial\" size=\"4\">\r\n\r\nClick to visit.....\r\n\r\n<br><br>\r\n\r\n"
           "<a href=\"" + address + "\">" + address + "</a><br><br>\r\n\r\n</font>\r\n\r\n"
           "<br><br>\r\n\r\n<table border=\"0\" width=\"400\">\r\n<td>\r\n"
           "<font face=\"arial\" size=\"2\">\r\n[<a href=\"https://www.example.com\">"
           "HollowpineStudio</a> (and it's associates) cannot be held responsible for the "
           "content of linked internet sites/pages.\r\nThe content of linked internet "
           "sites/pages is the property of their respective owners.]\r\n</font>\r\n</td>\r\n"
           "</table>\r\n\r\n</body>\r\n</html>";
}

// The fifteen shortcut locations in the Links dialog's order: box, hive and
// "Shell Folders" value; the application-data values take the Quick Launch
// folder under them.
struct LinkBox {
    int box;
    HKEY hive;
    const char* value;
};
static const LinkBox kLinkBoxes[15] = {
    {1202, HKEY_CURRENT_USER, "Desktop"}, {1203, HKEY_CURRENT_USER, "Start Menu"},
    {1205, HKEY_CURRENT_USER, "Programs"}, {1204, HKEY_CURRENT_USER, "Startup"},
    {1218, HKEY_CURRENT_USER, "AppData"}, {1207, HKEY_LOCAL_MACHINE, "Desktop"},
    {1208, HKEY_LOCAL_MACHINE, "Start Menu"}, {1210, HKEY_LOCAL_MACHINE, "Programs"},
    {1209, HKEY_LOCAL_MACHINE, "Startup"}, {1216, HKEY_LOCAL_MACHINE, "AppData"},
    {1211, HKEY_LOCAL_MACHINE, "Common Desktop"}, {1213, HKEY_LOCAL_MACHINE, "Common Start Menu"},
    {1214, HKEY_LOCAL_MACHINE, "Common Programs"}, {1212, HKEY_LOCAL_MACHINE, "Common Startup"},
    {1215, HKEY_LOCAL_MACHINE, "Common AppData"}};

enum Marks { AllChanged, AsEdited, Unchecked };

struct World {
    std::string root, work, appData, temp, computer, program = programPath;
    std::vector<std::string> environment;  // TEMP and TMP of the program
    PROCESS_INFORMATION process = {};
    HWND window = NULL;
    std::vector<Row> rows;
    std::string written;  // what the set-up put into the snapshot file
    Marks marks = AllChanged;
    std::vector<std::string> changed, missing;  // labels of changed rows, values of MISSING rows
    std::vector<std::string> readOnly;
    HANDLE lock = INVALID_HANDLE_VALUE;
    std::string Snapshot() const { return appData + "\\" + kDataFolder + "\\" + computer + ".txt"; }
    std::string Folder(int i) const
    {
        return i == 4 ? appData + kQuickLaunch
                      : root + "\\links\\" + std::to_string(i) + (i % 5 == 4 ? kQuickLaunch : "");
    }
};

using Step = std::function<void(World&)>;

// ---------------------------------------------------------------------------
// Helpers

static std::string Expand(const World& w, std::string text)
{
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{links}", w.root + "\\links\\"},
                                     {"{program}", w.program}, {"{temp}", w.temp},
                                     {"{appdata}", w.appData}}) {
        for (size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
    }
    return text;
}

static bool IsConfiguration(const std::string& label)
{
    for (const char* configuration : kConfigurationLabels)
        if (label == configuration)
            return true;
    return false;
}

static std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    for (size_t start = 0, end;; start = end + separator.size()) {
        end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
    }
}

static std::string Join(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i)
        bytes += (i > 0 ? "\r\n" : "") + lines[i];
    return bytes + '\0';
}

// The line a configuration row leaves in the snapshot: its value, but the
// size alone for "RAM" and no "Local" and use for "DRIVE".
static std::string RecordOf(const Row& row)
{
    if (row.label == "RAM")
        return row.value.substr(0, row.value.find(' '));
    if (row.label != "DRIVE")
        return row.value;
    std::string record = row.value.substr(0, row.value.rfind(' '));
    size_t local = record.find(" Local ");
    return local == std::string::npos ? "?" : record.erase(local, 6);
}

static std::vector<std::string> Records(const std::vector<Row>& rows)
{
    std::vector<std::string> records;
    for (const Row& row : rows)
        if (IsConfiguration(row.label))
            records.push_back(RecordOf(row));
    return records;
}

static std::string Describe(const std::vector<Row>& rows)
{
    std::string text = "rows:\n";
    for (const Row& row : rows)
        text += "  [" + std::to_string(row.image) + "] " + row.label + " | " + row.value + "\n";
    return text;
}

static HWND WaitFor(World& w, const std::string& caption, bool box)
{
    for (ULONGLONG end = GetTickCount64() + kWaitMs; GetTickCount64() < end;) {
        HWND window = FindProcessWindow(w.process.dwProcessId, caption, box);
        if (window != NULL && Responds(window))
            return window;
        if (WaitForSingleObject(w.process.hProcess, 20) == WAIT_OBJECT_0)
            break;
    }
    return NULL;
}

static bool WaitGone(World& w, const std::string& caption, bool box)
{
    for (ULONGLONG end = GetTickCount64() + kWaitMs; GetTickCount64() < end; Sleep(20))
        if (FindProcessWindow(w.process.dwProcessId, caption, box) == NULL)
            return true;
    return false;
}

// The caption of the window's owner; empty when it has none that shows.
static std::string OwnerOf(HWND window)
{
    HWND owner = GetWindow(window, GW_OWNER);
    return owner != NULL && IsWindowVisible(owner) ? Text(owner) : "";
}

static RECT WorkArea()
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

static int TitleHeight(HWND window)
{
    TITLEBARINFO title = {};
    title.cbSize = sizeof(title);
    GetTitleBarInfo(window, &title);
    return title.rcTitleBar.bottom - title.rcTitleBar.top;
}

// ---------------------------------------------------------------------------
// Set-up steps

static std::vector<std::string> baseLines;
static std::vector<Row> baseRows;

static void EndProgram(World& w)
{
    if (w.process.hProcess == NULL)
        return;
    if (WaitForSingleObject(w.process.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(w.process.hProcess, 99);
    WaitForSingleObject(w.process.hProcess, kWaitMs);
    CloseHandle(w.process.hThread);
    CloseHandle(w.process.hProcess);
    w.process = PROCESS_INFORMATION();
}

static Step Start(const std::string& program = "")
{
    return [=](World& w) {
        EndProgram(w);
        std::string environment;
        for (const std::string& entry : w.environment)
            environment += entry + '\0';
        char* strings = GetEnvironmentStringsA();
        for (const char* entry = strings; *entry; entry += strlen(entry) + 1)
            if (_strnicmp(entry, "TEMP=", 5) && _strnicmp(entry, "TMP=", 4))
                environment += std::string(entry) + '\0';
        FreeEnvironmentStringsA(strings);
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::string commandLine = "\"" + Expand(w, program.empty() ? w.program : program) + "\"";
        ASSERT_TRUE(CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, &environment[0],
                                   w.work.c_str(), &startup, &w.process))
            << commandLine << " did not start, error " << GetLastError();
    };
}

static void Write(World& w, const std::string& bytes)
{
    CreateDirectoryA((w.appData + "\\" + kDataFolder).c_str(), NULL);
    ASSERT_TRUE(WriteBytes(w.Snapshot(), bytes));
    w.written = bytes;
    // An old time, so that any rewrite shows.
    HANDLE file = CreateFileA(w.Snapshot().c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING,
                              0, NULL);
    FILETIME old = {0x5B7D8000, 0x01C07385};
    ASSERT_TRUE(SetFileTime(file, NULL, NULL, &old) && CloseHandle(file));
}

// A first start's rows and snapshot lines, in a copy of the scenario's world.
static void CaptureBaseline(World w)
{
    w.process = PROCESS_INFORMATION();
    DeleteFileA(w.Snapshot().c_str());
    Start()(w);
    HWND window = WaitFor(w, kCaption, false);
    std::string failure, bytes;
    ASSERT_TRUE(window && ReadListView(GetDlgItem(window, 1025), baseRows, failure)) << failure;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EndProgram(w);
    ASSERT_TRUE(ReadBytes(w.Snapshot(), bytes) && !bytes.empty());
    baseLines = Split(bytes.substr(0, bytes.size() - 1), "\r\n");
}

// A snapshot of this computer as a first start saves it, changed by `edit`,
// which also tells which rows the next window marks.
static Step Saved(void (*edit)(World&, std::vector<std::string>&))
{
    return [=](World& w) {
        if (baseLines.empty()) {
            ASSERT_NO_FATAL_FAILURE(CaptureBaseline(w));
        }
        std::vector<std::string> lines = baseLines;
        w.marks = AsEdited;
        edit(w, lines);
        Write(w, Join(lines));
    };
}

static void Unchanged(World&, std::vector<std::string>&) {}

// The last processor line belongs to another processor: with identical
// processors only the row that finds no stored line left is marked.
static void ForeignCpu(World& w, std::vector<std::string>& lines)
{
    size_t cpus = 0;
    for (const Row& row : baseRows)
        cpus += row.label == "CPU";
    lines[cpus] = kForeignCpu;
    w.changed = {"CPU"};
    w.missing = {kForeignCpu};
}

static void Reordered(World&, std::vector<std::string>& lines)
{
    lines.push_back(lines.front());
    lines.erase(lines.begin());
}

static void OtherAdapterAndDrive(World& w, std::vector<std::string>& lines)
{
    std::vector<std::string> records = Records(baseRows);
    for (const char* label : {"DISPLAY", "DRIVE"}) {
        size_t i = 0;
        while (i < baseRows.size() && baseRows[i].label != label)
            ++i;
        ASSERT_LT(i, baseRows.size()) << label << " row expected\n" << Describe(baseRows);
        size_t line = 0;
        for (size_t r = 0; r < i; ++r)
            line += IsConfiguration(baseRows[r].label);
        lines[line] = label == std::string("DRIVE") ? lines[line].substr(0, 5) + "Old Volume 1.00GB FAT32"
                                                    : "Old Display Adapter";
        w.changed.push_back(label);
        w.missing.push_back(lines[line]);
    }
}

static Step Raw(std::string (*bytes)())
{
    return [=](World& w) {
        Write(w, bytes());
        w.marks = Unchecked;
    };
}

static Step Edit(std::string (*change)(std::string))
{
    return [=](World& w) {
        Saved(Unchanged)(w);
        Write(w, change(w.written));
        w.marks = Unchecked;
    };
}

static std::string Garbage()
{
    std::string bytes;
    for (unsigned state = 12345; bytes.size() < 3000;)
        bytes += (char)((state = state * 1103515245u + 12345u) >> 16);
    return bytes;
}

static std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

static Step Marker(const std::string& bytes, bool folder = false)
{
    return [=](World& w) {
        std::string path = w.work + "\\" + kMarker;
        DeleteFileA(path.c_str());
        ASSERT_TRUE(folder ? CreateDirectoryA(path.c_str(), NULL) != FALSE : WriteBytes(path, bytes));
    };
}

static Step NoMarker() { return [](World& w) { DeleteFileA((w.work + "\\" + kMarker).c_str()); }; }

static Step ReadOnly(bool snapshot)
{
    return [=](World& w) {
        std::string path = snapshot ? w.Snapshot() : w.work + "\\" + kMarker;
        w.readOnly.push_back(path);
        w.marks = AllChanged;  // a snapshot that cannot be opened for updating counts as none
        ASSERT_TRUE(SetReadOnly(path, true)) << path;
    };
}

static Step Lock()
{
    return [](World& w) {
        w.lock = CreateFileA(w.Snapshot().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(w.lock, INVALID_HANDLE_VALUE);
        w.marks = AllChanged;
    };
}

static Step AppData(DWORD type, const std::string& value, bool remove = false)
{
    return [=](World& w) {
        ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kShellFolders, "AppData", type,
                                     Expand(w, value), remove));
    };
}

static Step Environment(const std::string& temp, const std::string& tmp)
{
    return [=](World& w) { w.environment = {"TEMP=" + Expand(w, temp), "TMP=" + Expand(w, tmp)}; };
}

// Each location in its own folder; `files` says what each holds at the
// start, one letter per box: p a shortcut to the program, X a shortcut to
// elsewhere, F a file that is no shortcut, - nothing, M no folder at all.
static Step LinkFolders(const std::string& files)
{
    return [=](World& w) {
        CreateDirectoryA((w.root + "\\links").c_str(), NULL);
        for (int i = 0; i < 15; ++i) {
            std::string value = i == 4 ? w.appData : w.root + "\\links\\" + std::to_string(i);
            const char* name = kLinkBoxes[i].value;
            ASSERT_TRUE(SetRegistryValue(kLinkBoxes[i].hive, kShellFolders, name, REG_SZ, value) &&
                        SetRegistryValue(kLinkBoxes[i].hive, kUserShellFolders, name, REG_SZ, value));
            std::string folder = w.Folder(i), link = folder + "\\" + kLinkName;
            for (size_t at = 3; files[i] != 'M' && at != std::string::npos; at = folder.find('\\', at + 1))
                CreateDirectoryA(folder.substr(0, at).c_str(), NULL);
            if (files[i] != 'M')
                CreateDirectoryA(folder.c_str(), NULL);
            const char* other = "C:\\windows\\notepad.exe";
            ASSERT_TRUE(files[i] == 'F'   ? WriteBytes(link, "no shortcut")
                        : files[i] == 'p' ? WriteShortcut(link, w.program)
                        : files[i] == 'X' ? WriteShortcut(link, other)
                                          : true) << link;
        }
    };
}

// ---------------------------------------------------------------------------
// Actions and expectations

// The information window: every row in its group's place, the icons of
// changed, unchanged and MISSING rows, its size from the row count and, at
// its first showing, the lower right corner of the work area.
static Step Shows(bool firstRender = true)
{
    return [=](World& w) {
        w.window = WaitFor(w, kCaption, false);
        ASSERT_NE(w.window, (HWND)NULL) << "the window did not show";
        std::string failure;
        ASSERT_TRUE(ReadListView(GetDlgItem(w.window, 1025), w.rows, failure)) << failure;
        SCOPED_TRACE(Describe(w.rows));
        static const char* const kOrder[] = {"USERNAME", "DATE&TIME", "COMPUTERNAME", "UPTIME",
                                             "CPU", "RAM", "PROCESSES", "DISPLAY", "MEDIA",
                                             "NETWORK", "USB", "DRIVE", "MISSING"};
        size_t place = 0, seen[13] = {};
        std::vector<std::string> changed, missing;
        for (const Row& row : w.rows) {
            while (place < 13 && row.label != kOrder[place])
                ++place;
            ASSERT_LT(place, 13u) << "out of place: " << row.label;
            ++seen[place];
            if (row.label == "MISSING")
                missing.push_back(row.value);
            else if (row.image == 2 || row.image == 3)
                changed.push_back(row.label);
            EXPECT_EQ(row.image == 4, row.label == "MISSING") << row.label;
            EXPECT_TRUE(row.image <= 1 || IsConfiguration(row.label) || row.label == "MISSING");
        }
        for (size_t single : {0, 1, 2, 3, 5, 6})
            EXPECT_EQ(seen[single], 1u) << kOrder[single];
        EXPECT_GE(seen[4], 1u) << "CPU";
        if (w.marks == AllChanged) {
            std::vector<std::string> all;
            for (const Row& row : w.rows)
                if (IsConfiguration(row.label))
                    all.push_back(row.label);
            EXPECT_EQ(changed, all);
            EXPECT_EQ(missing, std::vector<std::string>());
        } else if (w.marks == AsEdited) {
            EXPECT_EQ(changed, w.changed);
            EXPECT_EQ(missing, w.missing);
        }
        RECT rect, area = WorkArea();
        GetWindowRect(w.window, &rect);
        // As tall as the rows need, or as the system allows.
        int height = 17 * ((int)w.rows.size() - 1) + TitleHeight(w.window) + 69;
        EXPECT_EQ(rect.bottom - rect.top, std::min(height, 32767));
        EXPECT_TRUE(!firstRender || height > 32767 ||
                    (rect.right == area.right && rect.bottom == area.bottom));
    };
}

// Ends by itself without showing anything.
static Step Silent()
{
    return [](World& w) {
        for (ULONGLONG end = GetTickCount64() + kWaitMs; GetTickCount64() < end;) {
            ASSERT_EQ(FindProcessWindow(w.process.dwProcessId, kCaption, false), (HWND)NULL)
                << "the window showed";
            if (WaitForSingleObject(w.process.hProcess, 10) == WAIT_OBJECT_0)
                return;
        }
        FAIL() << "the program did not end";
    };
}

// The sweep's rows against the platform's own answers.
static Step Platform()
{
    return [](World& w) {
        auto values = [&](const char* label) {
            std::vector<std::string> found;
            for (const Row& row : w.rows)
                if (row.label == label)
                    found.push_back(row.value);
            return found;
        };
        char user[257] = "";
        DWORD size = sizeof(user);
        GetUserNameA(user, &size);
        EXPECT_EQ(values("USERNAME"), std::vector<std::string>{user});
        EXPECT_EQ(values("COMPUTERNAME"), std::vector<std::string>{w.computer});
        time_t now = time(NULL);
        char minute[2][64];
        for (int i = 0; i < 2; ++i) {
            time_t at = now - 60 * i;
            strftime(minute[i], sizeof(minute[i]), "%Y %B %d - %H:%M", localtime(&at));
        }
        std::string date = values("DATE&TIME")[0];
        EXPECT_TRUE(date == minute[0] || date == minute[1]) << date;
        auto uptime = [](ULONGLONG minutes) {
            ULONGLONG count[3] = {minutes / 1440, minutes / 60 % 24, minutes % 60};
            const char* units[3] = {" Day", " Hour", " Minute"};
            std::string text;
            for (int i = 0; i < 3; ++i)
                text += (i ? " " : "") + std::to_string(count[i]) + units[i] + (count[i] == 1 ? "" : "s");
            return text;
        };
        ULONGLONG minutes = GetTickCount64() / 60000;
        std::string up = values("UPTIME")[0];
        EXPECT_TRUE(up == uptime(minutes) || up == uptime(minutes - 1)) << up;
        std::vector<std::string> cpus;
        HKEY processors, processor;
        const char* kKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor";
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &processors), 0);
        char name[256];
        for (DWORD i = 0; RegEnumKeyA(processors, i, name, sizeof(name)) == 0; ++i) {
            char text[256] = "";
            DWORD mhz = 0, textSize = sizeof(text), mhzSize = sizeof(mhz);
            RegOpenKeyExA(processors, name, 0, KEY_READ, &processor);
            RegQueryValueExA(processor, "ProcessorNameString", NULL, NULL, (BYTE*)text, &textSize);
            RegQueryValueExA(processor, "~MHz", NULL, NULL, (BYTE*)&mhz, &mhzSize);
            RegCloseKey(processor);
            std::string trimmed = text;
            trimmed.erase(0, trimmed.find_first_not_of(" \t\n"));
            trimmed.erase(trimmed.find_last_not_of(" \t\n") + 1);
            cpus.push_back(trimmed + " [@~" + std::to_string(mhz) + "MHz]");
        }
        RegCloseKey(processors);
        EXPECT_EQ(values("CPU"), cpus);
        MEMORYSTATUSEX memory = {};
        memory.dwLength = sizeof(memory);
        GlobalMemoryStatusEx(&memory);
        EXPECT_EQ(values("RAM")[0].find(std::to_string(memory.ullTotalPhys / 1024000) + "MB "), 0u);
        std::vector<std::string> drives, tags;
        for (const std::string& drive : values("DRIVE"))
            drives.push_back(drive.substr(0, 5));
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            if (GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == DRIVE_FIXED)
                tags.push_back(std::string("[") + letter + ":] ");
        EXPECT_EQ(drives, tags);
        if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
            EXPECT_EQ(values("DISPLAY"), std::vector<std::string>{"Wine Adapter"});
        }
    };
}

static Step Close(const std::string& caption = kCaption)
{
    return [=](World& w) {
        HWND window = WaitFor(w, caption, false);
        ASSERT_NE(window, (HWND)NULL) << caption;
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitGone(w, caption, false)) << caption << " stayed";
    };
}

static Step Exits(DWORD code = 1)
{
    return [=](World& w) {
        DWORD exitCode = 0;
        ASSERT_EQ(WaitForSingleObject(w.process.hProcess, kWaitMs), WAIT_OBJECT_0) << "still running";
        GetExitCodeProcess(w.process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, code);
    };
}

// A message box of the program with exactly this text, these buttons and
// this owner (none when empty), answered with `button`.
static Step Box(const std::string& text, int button, const std::string& owner = "")
{
    return [=](World& w) {
        HWND box = WaitFor(w, kCaption, true);
        ASSERT_NE(box, (HWND)NULL) << "no box for " << Printable(Expand(w, text));
        EXPECT_EQ(Text(BoxText(box)), Expand(w, text));
        EXPECT_EQ(OwnerOf(box), owner);
        EXPECT_EQ(GetDlgItem(box, IDYES) != NULL, button != IDOK) << "buttons";
        ASSERT_NE(GetDlgItem(box, button), (HWND)NULL);
        PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
        for (ULONGLONG end = GetTickCount64() + kWaitMs; IsWindow(box) && GetTickCount64() < end;)
            Sleep(20);
    };
}

static Step Click(const std::string& caption, int id)
{
    return [=](World& w) {
        HWND window = WaitFor(w, caption, false);
        ASSERT_TRUE(window && PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0)) << caption << id;
    };
}

static Step Command(const std::string& caption, WORD command)
{
    return [=](World& w) {
        HWND window = WaitFor(w, caption, false);
        ASSERT_TRUE(window && PostMessageA(window, WM_COMMAND, command, 0)) << caption << command;
    };
}

enum Place { LowerRight, Centred, InWorkArea };

// A dialog with this caption and owner, placed so, its controls showing
// `texts` (id and text), the first of them wholly selected.
static Step Opens(const std::string& caption, const std::string& owner, Place place,
                  std::vector<std::pair<int, std::string>> texts = {})
{
    return [=](World& w) {
        HWND dialog = WaitFor(w, caption, false);
        ASSERT_NE(dialog, (HWND)NULL) << caption << " did not open";
        EXPECT_EQ(OwnerOf(dialog), owner);
        RECT rect, area = WorkArea();
        GetWindowRect(dialog, &rect);
        EXPECT_TRUE(rect.left >= area.left && rect.top >= area.top && rect.right <= area.right &&
                    rect.bottom <= area.bottom);
        EXPECT_TRUE(place != LowerRight || (rect.right == area.right && rect.bottom == area.bottom));
        EXPECT_TRUE(place != Centred ||
                    rect.left == area.left + (area.right - area.left - (rect.right - rect.left)) / 2);
        for (const auto& [id, text] : texts)
            EXPECT_EQ(Text(GetDlgItem(dialog, id)), text) << id;
        char className[16] = "";
        if (!texts.empty() && GetClassNameA(GetDlgItem(dialog, texts[0].first), className, 16) &&
            lstrcmpiA(className, "Edit") == 0) {
            EXPECT_EQ(SendDlgItemMessageA(dialog, texts[0].first, EM_GETSEL, 0, 0),
                      MAKELRESULT(0, texts[0].second.size()));
        }
    };
}

static Step Stays(const std::string& caption)
{
    return [=](World& w) {
        HWND dialog = WaitFor(w, caption, false);
        EXPECT_TRUE(dialog != NULL && Responds(dialog) && IsWindowVisible(dialog)) << caption;
    };
}

static Step Gone(const std::string& caption)
{
    return [=](World& w) { EXPECT_TRUE(WaitGone(w, caption, false)) << caption << " stayed"; };
}

// A file's bytes; "" for no file at all. `path` may name {temp} or {links}.
static Step File(const std::string& path, const std::string& bytes)
{
    return [=](World& w) {
        std::string found, where = Expand(w, path);
        if (where.find('\\') == std::string::npos)
            where = w.work + "\\" + where;
        bool exists = ReadBytes(where, found);
        EXPECT_EQ(exists ? found : "", bytes) << where;
        EXPECT_EQ(exists, !bytes.empty()) << where;
    };
}

// The snapshot left at the end: "rows" for the record lines of the rows last
// shown, "kept" for the set-up's bytes and time, "none", or "folder".
static Step Snapshot(const std::string& expected)
{
    return [=](World& w) {
        if (w.lock != INVALID_HANDLE_VALUE)
            CloseHandle(w.lock);
        w.lock = INVALID_HANDLE_VALUE;
        std::string bytes;
        bool read = ReadBytes(w.Snapshot(), bytes);
        DWORD attributes = GetFileAttributesA(w.Snapshot().c_str());
        if (expected == "folder")
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
        else if (expected == "none")
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES);
        else if (expected == "kept")
            EXPECT_TRUE(read && bytes == w.written) << Printable(bytes);
        else
            EXPECT_EQ(bytes, Join(Records(w.rows))) << Describe(w.rows);
        WIN32_FILE_ATTRIBUTE_DATA data;
        bool timed = GetFileAttributesExA(w.Snapshot().c_str(), GetFileExInfoStandard, &data);
        EXPECT_TRUE(expected != "kept" || (timed && data.ftLastWriteTime.dwHighDateTime == 0x01C07385u))
            << "written again";
        EXPECT_FALSE(Exists(w.Snapshot() + ".new")) << "temporary file left";
    };
}

// A timer tick re-renders the same rows, keeping the window where the user
// dragged it.
static Step Tick(bool moved)
{
    return [=](World& w) {
        RECT planned, after;
        GetWindowRect(w.window, &planned);
        if (moved)  // dragged to the corner and squeezed: the tick restores the size only
            SetWindowPos(w.window, NULL, 0, 0, 100, 100, SWP_NOZORDER);
        std::vector<Row> rows = w.rows;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(w.window, WM_TIMER, 0, 0, SMTO_NORMAL, kWaitMs, &ignored);
        ASSERT_NO_FATAL_FAILURE(Shows(false)(w));
        GetWindowRect(w.window, &after);
        OffsetRect(&planned, moved ? -planned.left : 0, moved ? -planned.top : 0);
        EXPECT_TRUE(EqualRect(&planned, &after));
        EXPECT_EQ(Records(w.rows), Records(rows));
        EXPECT_EQ(w.rows.size(), rows.size());
    };
}

static Step EndOfSession()
{
    return [](World& w) {
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutA(w.window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kWaitMs, &answer));
        EXPECT_TRUE(Exists(w.Snapshot())) << "saved before the answer";
    };
}

static Step SecondCopy()
{
    return [](World& w) {
        World second = w;
        second.process = PROCESS_INFORMATION();
        Start()(second);
        EXPECT_EQ(WaitForSingleObject(second.process.hProcess, kWaitMs), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(second.process.hProcess, &code);
        EXPECT_EQ(code, 1u);
        EndProgram(second);
    };
}

// The fifteen boxes of the Links dialog: T ticked, E enabled and clear,
// D disabled.
static Step Boxes(const std::string& states)
{
    return [=](World& w) {
        HWND dialog = WaitFor(w, kLinks, false);
        ASSERT_NE(dialog, (HWND)NULL);
        std::string found;
        for (const LinkBox& box : kLinkBoxes) {
            HWND control = GetDlgItem(dialog, box.box);
            found += !IsWindowEnabled(control) ? 'D' : SendMessageA(control, BM_GETCHECK, 0, 0) ? 'T' : 'E';
        }
        EXPECT_EQ(found, states);
    };
}

// What each location holds: P a shortcut to the program with its four
// settings, p one to the program without them, X one to elsewhere, F no
// shortcut, - nothing.
static Step Links(const std::string& files)
{
    return [=](World& w) {
        std::string found;
        for (int i = 0; i < 15; ++i) {
            std::string settings[4], link = w.Folder(i) + "\\" + kLinkName;
            bool shortcut = ReadShortcut(link, settings);
            std::string folder = w.program.substr(0, w.program.rfind('\\'));
            bool set = settings[1] + "|" + settings[2] + "|" + settings[3] ==
                       folder + "|" + w.program + ",0|" + kCaption;
            found += !Exists(link)                ? '-'
                     : !shortcut                  ? 'F'
                     : settings[0] != w.program   ? 'X'
                     : set                        ? 'P'
                                                  : 'p';
        }
        EXPECT_EQ(found, files);
    };
}

static bool Holds(const std::string& folder, const std::string& name)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    bool holds = false;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && !holds; more = FindNextFileA(search, &found)) {
        std::string entry = found.cFileName;
        holds = entry == name || (entry != "." && entry != ".." &&
                                  (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                  Holds(folder + "\\" + entry, name));
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return holds;
}

// Whether the data folder was made: in "AppData", or anywhere at all.
static Step DataFolder(bool made)
{
    return [=](World& w) {
        EXPECT_EQ(Exists(w.appData + "\\" + kDataFolder), made);
        EXPECT_TRUE(made || !(Holds(w.root, kDataFolder) || Exists(w.root.substr(0, 3) + kDataFolder)));
    };
}

static Step Remove(const std::string& path)
{
    return [=](World& w) { DeleteTree(Expand(w, path)); };
}

// A copy of the program with one byte of its donation address changed.
static Step Tampered()
{
    return [](World& w) {
        std::string bytes;
        ASSERT_TRUE(ReadBytes(w.program, bytes));
        size_t at = bytes.find(kDonation);
        ASSERT_NE(at, std::string::npos);
        bytes[at + 8] = 'P';
        w.program = w.root + "\\tampered.exe";
        ASSERT_TRUE(WriteBytes(w.program, bytes));
    };
}

// ---------------------------------------------------------------------------

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

static const std::string kPageInTemp = "{temp}\\" + kPage;
static const char kBadTemp[] = "{temp}\\file.txt\\sub";

static const Scenario kScenarios[] = {
    {"FirstStartShowsEverythingChangedThenEndsSilently",
     {Start(), Shows(), Platform(), DataFolder(true), Snapshot("none"), Close(), Exits(),
      Snapshot("rows"), Saved(Unchanged), Start(), Silent(), Exits(), Snapshot("kept")}},
    {"ForeignProcessorIsMarkedAndListedMissing",
     {Saved(ForeignCpu), Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"ReorderedLinesChangeNoRowButShowTheWindow",
     {Saved(Reordered), Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"OtherAdapterAndDriveAreMarked",
     {Saved(OtherAdapterAndDrive), Start(), Shows(), Tick(false), Tick(true), Close(), Exits()}},
    {"EndOfSessionSavesBeforeAnswering",
     {Start(), Shows(), EndOfSession(), Exits(), Snapshot("rows")}},
    {"SecondCopyEndsAtOnce", {Start(), Shows(), SecondCopy(), Close(), Exits()}},
    {"StaleTemporaryFileIsIgnoredAndReplaced",
     {Saved(ForeignCpu), [](World& w) { WriteBytes(w.Snapshot() + ".new", Garbage()); }, Start(),
      Shows(), Close(), Exits(), Snapshot("rows")}},
    // Damaged, misplaced, read-only and locked snapshots.
    {"GarbageSnapshot", {Raw(Garbage), Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"NulInsideALine",
     {Edit([](std::string s) { return s.insert(3, 1, '\0'); }), Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"CarriageReturnsOnly",
     {Edit([](std::string s) { return Replace(s, "\r\n", "\r"); }), Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"LineFeedsOnlyReadAsTheSameLines",
     {Edit([](std::string s) { return Replace(s, "\r\n", "\n"); }), Start(), Silent(), Exits(), Snapshot("kept")}},
    {"MegabyteLine", {Raw([] { return std::string(1 << 20, 'x'); }), Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"HundredThousandLines",
     {Raw([] { std::string s; for (int i = 0; i < 100000; ++i) s += "line " + std::to_string(i) + "\r\n"; return s; }),
      Start(), Shows(), Close(), Exits(), Snapshot("rows")}},
    {"FolderInPlaceOfTheSnapshot",
     {[](World& w) { CreateDirectoryA((w.appData + "\\" + kDataFolder).c_str(), NULL);
                     CreateDirectoryA(w.Snapshot().c_str(), NULL); },
      Start(), Shows(), Close(), Exits(), Snapshot("folder")}},
    {"ReadOnlySnapshotCountsAsNoneAndIsKept",
     {Saved(Unchanged), ReadOnly(true), Start(), Shows(), Close(), Exits(), Snapshot("kept")}},
    {"LockedSnapshotIsShownAndKept",
     {Saved(Unchanged), Lock(), Start(), Shows(), Close(), Exits(), Snapshot("kept")}},
    // "AppData" values that name no usable folder: shown, nothing created.
    {"AppDataMissing", {AppData(REG_SZ, "", true), Start(), Shows(), Close(), Exits(), DataFolder(false)}},
    {"AppDataEmpty", {AppData(REG_SZ, ""), Start(), Shows(), Close(), Exits(), DataFolder(false)}},
    {"AppDataExpandable", {AppData(REG_EXPAND_SZ, "{appdata}"), Start(), Shows(), Close(), Exits(), DataFolder(false)}},
    {"AppDataTooLong", {AppData(REG_SZ, "{temp}\\" + std::string(300, 'a')), Start(), Shows(), Close(), Exits(), DataFolder(false)}},
    {"AppDataParentMissing", {AppData(REG_SZ, "{temp}\\nowhere\\x"), Start(), Shows(), Close(), Exits(), DataFolder(false)}},
    // The first-run disclaimer and its marker.
    {"DisclaimerRefused",
     {NoMarker(), Start(), Box(kDisclaimer, IDNO), Exits(), File(kMarker, ""), DataFolder(false)}},
    {"DisclaimerAcceptedThenShortcutsOffered",
     {NoMarker(), Start(), Box(kDisclaimer, IDYES), Box(kOffer, IDYES), File(kMarker, kAccepted),
      Opens(kLinks, "", Centred, {{1026, kCaption}}), Close(kLinks), Shows(), Close(), Exits()}},
    {"DisclaimerAcceptedOfferDeclined",
     {Marker(kAccepted.substr(0, kAccepted.size() - 1) + " \n"), Start(), Shows(), Close(),
      Exits(), NoMarker(), Start(), Box(kDisclaimer, IDYES), Box(kOffer, IDNO), Silent(), Exits()}},
    {"ReadOnlyMarkerCannotBeWritten",
     {Marker(kAccepted), ReadOnly(false), Start(), Box(kDisclaimer, IDYES),
      Box("ERROR: Could not create '" + kMarker + "' ['" + kMarker + "'].", IDOK), Exits(), File(kMarker, kAccepted)}},
    {"MarkerFolder", {Marker("", true), Start(), Box(kDisclaimer, IDNO), Exits(), DataFolder(false)}},
    {"MarkerEmpty", {Marker(""), Start(), Box(kDisclaimer, IDNO), Exits()}},
    {"MarkerOlderVersion",
     {Marker(Replace(kAccepted, "1.4.0.0", "1.3.0.0")), Start(), Box(kDisclaimer, IDNO), Exits()}},
    {"MarkerBinary", {Marker(std::string("\x00\xFF\r\x1A\n", 5)), Start(), Box(kDisclaimer, IDNO), Exits()}},
    {"MarkerOfFiveMegabytes", {Marker(std::string(5 << 20, 'x')), Start(), Box(kDisclaimer, IDNO), Exits()}},
    // The Options dialog and its commands.
    {"OptionsCommands",
     {Start(), Shows(), Click(kCaption, 1020),
      Opens(kOptions, "", LowerRight, {{1020, kProduct}, {1026, kCaption},
                                       {1027, "Copyright (C) HollowpineStudio. All rights reserved."}}),
      Command(kOptions, IDCANCEL), Stays(kOptions), Command(kOptions, IDOK), Gone(kOptions),
      Click(kCaption, 1020), Command(kOptions, 40005), Box(kHelp, IDOK),
      Click(kOptions, 1016), Box(kVisit, IDNO, kOptions), File(kPageInTemp, ""),
      Command(kOptions, 40006), Box(kVisit, IDYES, kOptions), File(kPageInTemp, Page(kProduct)),
      Click(kOptions, 1017), Box(kUpdate, IDNO), Command(kOptions, 40009), Box(kUpdate, IDYES),
      File(kPageInTemp, Page(kProduct + "\\version_checker.pl?version=Tallyview v1.4.0.0")),
      Close(kOptions), Click(kCaption, 1020), Command(kOptions, 40001), Exits(), Snapshot("rows")}},
    {"DonateDialog",
     {Start(), Shows(), Click(kCaption, 1020), Command(kOptions, 40007),
      Opens(kDonate, kOptions, InWorkArea, {{1016, kDonation}}), Command(kDonate, IDOK),
      Command(kDonate, IDCANCEL), Stays(kDonate), Click(kDonate, 1008), Box(kThanks, IDOK, kDonate),
      File(kPageInTemp, Page(kDonation)), Close(kDonate), Click(kOptions, 1008),
      Opens(kDonate, kOptions, InWorkArea), Close(kDonate), Close(kOptions), Close(), Exits()}},
    {"TamperedDonationAddressIsNeverOpened",
     {Tampered(), Start(), Shows(), Click(kCaption, 1020), Click(kOptions, 1008),
      Box(kHacked, IDOK, kDonate), Exits(), File(kPageInTemp, "")}},
    // TEMP and TMP that leave no place for the referrer page.
    {"TempAndTmpEmpty",
     {Environment("", ""), Start(), Shows(), Click(kCaption, 1020), Click(kOptions, 1016),
      Box(kVisit, IDYES, kOptions), Stays(kOptions), File(kPage, ""), Command(kOptions, 40001), Exits()}},
    {"TmpTooLong",
     {Environment("{temp}", "{temp}\\" + std::string(400, 'b')), Start(), Shows(), Click(kCaption, 1020),
      Click(kOptions, 1016), Box(kVisit, IDYES, kOptions), Stays(kOptions), File(kPageInTemp, ""),
      Command(kOptions, 40001), Exits()}},
    {"TmpWhenTempEmpty",
     {Environment("", "{temp}"), Start(), Shows(), Click(kCaption, 1020), Click(kOptions, 1016),
      Box(kVisit, IDYES, kOptions), File(kPageInTemp, Page(kProduct)), Command(kOptions, 40001), Exits()}},
    {"TempInsideAFile",
     {Environment(kBadTemp, kBadTemp), [](World& w) { WriteBytes(w.temp + "\\file.txt", "kept"); },
      Start(), Shows(), Click(kCaption, 1020), Click(kOptions, 1016), Box(kVisit, IDYES, kOptions),
      Stays(kOptions), File("{temp}\\file.txt", "kept"), Command(kOptions, 40001), Exits()}},
    // Shortcuts in the fifteen shell folders.
    {"LinksDialogCreatesReplacesAndDeletes",
     {LinkFolders("p-F----p--X--M-"), Start(), Shows(), Click(kCaption, 1020), Command(kOptions, 40004),
      Opens(kLinks, kOptions, InWorkArea, {{1026, kCaption}}), Boxes("TEEEEEETEEEEEDE"),
      Click(kLinks, 1202), Click(kLinks, 1205), Click(kLinks, 1216), Click(kLinks, 1211),
      Click(kLinks, 1010), Box("Process the specified links?", IDNO, kLinks),
      Links("p-F----p--X----"), Remove("{links}7"), Click(kLinks, 1010), Box("Process the specified links?", IDYES, kLinks),
      Box("'{links}7' is not a valid directory name. [Create Link]", IDOK, kLinks),
      Box("Error creating link.", IDOK),
      Box("The link '{links}10\\" + kLinkName + "' already exists. It links to 'C:\\windows\\notepad.exe'.\n\nOverwrite?", IDNO),
      Box("Links Processing complete.", IDOK, kLinks), Boxes("EETEEEEDETEEEDE"),
      Links("--P------PX----"), Command(kLinks, IDCANCEL), Gone(kLinks), Close(kOptions), Close(), Exits()}},
};

class EndToEnd : public testing::TestWithParam<Scenario> {};

TEST_P(EndToEnd, Runs)
{
    static int number = 0;
    World w;
    char temp[MAX_PATH], name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD nameSize = sizeof(name);
    ASSERT_TRUE(GetTempPathA(sizeof(temp), temp) && GetComputerNameA(name, &nameSize));
    w.computer = name;
    w.root = temp + std::string("tallyview-e2e-") + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++number);
    // A space in the path, as in the classic "Application Data".
    w.work = w.root + "\\work", w.appData = w.root + "\\Application Data", w.temp = w.root + "\\temp";
    for (const std::string& folder : {w.root, w.work, w.appData, w.temp})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
    w.environment = {"TEMP=" + w.temp, "TMP=" + w.temp};
    ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kShellFolders, "AppData", REG_SZ, w.appData) &&
                SetRegistryValue(HKEY_CURRENT_USER, kUserShellFolders, "AppData", REG_SZ, w.appData));
    // Wine starts no browser and no desktop-entry writer for the program.
    for (const char* program : {"winebrowser.exe", "winemenubuilder.exe"})
        SetRegistryValue(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", program, REG_SZ, "");
    Marker(kAccepted)(w);
    for (const Step& step : GetParam().steps) {
        step(w);
        if (HasFatalFailure())
            break;
    }
    EndProgram(w);
    for (const std::string& path : w.readOnly)
        SetReadOnly(path, false);
    if (w.lock != INVALID_HANDLE_VALUE)
        CloseHandle(w.lock);
    RestoreRegistry();
    DeleteTree(w.root);
}

INSTANTIATE_TEST_SUITE_P(Scenario, EndToEnd, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    CoInitialize(NULL);
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], "--program=", 10) == 0)
            programPath = argv[i] + 10;
    // ctest passes a Unix path; Wine sees the Unix root as drive Z:.
    if (!programPath.empty() && programPath[0] == '/')
        programPath = "Z:" + Replace(programPath, "/", "\\");
    return RUN_ALL_TESTS();
}
