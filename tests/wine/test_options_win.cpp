// The Options and Donate dialogs from their real templates, the referrer page
// and the first-run disclaimer, with every box answered and recorded and
// every shell launch recorded instead of run.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "app/terms_win.h"
#include "message_box_answerer.h"
#include "options/donate_dialog_win.h"
#include "options/donation.h"
#include "options/options_dialog_win.h"
#include "options/referrer_page.h"
#include "options/referrer_page_win.h"
#include "options_test_driver.h"
#include "resource.h"
#include "wine_test_support.h"
#include "window/information_window_win.h"

namespace {

const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const char kOptionsCaption[] = "Tallyview-ZezedazUrod v1.4.0.0 - Options - HOLLOWPINESTUDIO";
const char kDonateCaption[] = "Tallyview-ZezedazUrod v1.4.0.0 - Donate - HOLLOWPINESTUDIO";
const char kLinksCaption[] = "Tallyview-ZezedazUrod v1.4.0.0 - Links - HOLLOWPINESTUDIO";
const char kPageName[] = "Tallyview-ZezedazUrod v1.4.0.0 - Internet Referrering Page.htm";
const char kProductAddress[] = "https://www.example.com/software/tallyview";
const char kDonationAddressText[] =
    "https://payments.example.org/cgi-bin/webscr?cmd=_xclick&business=donate@example.com"
    "&no_note=1&currency_code=GBP&tax=0&bn=PP-DonationsBF";
const char kQuestionNote[] =
    "\n\nPLEASE NOTE: This will generate a HTML page that can be checked for routed personal "
    "information by viewing the source. Your firewall will not be queried for permission.";

// ---------------------------------------------------------------------------
// Shell launches, recorded.

struct ShellCall {
    bool hasWindow;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int show;
};

std::vector<ShellCall> shellCalls;

std::string TextOrNull(LPCSTR text)
{
    return text != NULL ? text : "<null>";
}

HINSTANCE WINAPI RecordShellExecute(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show)
{
    shellCalls.push_back(ShellCall{window != NULL, TextOrNull(verb), TextOrNull(file),
                                   TextOrNull(parameters), TextOrNull(directory), show});
    return (HINSTANCE)42;  // above 32: success
}

// A launch with no window, the default verb, no directory and SW_SHOWNORMAL.
void ExpectPlainLaunch(const ShellCall& call, const std::string& file,
                       const std::string& parameters)
{
    EXPECT_FALSE(call.hasWindow);
    EXPECT_EQ(call.verb, "<null>");
    EXPECT_EQ(call.file, file);
    EXPECT_EQ(call.parameters, parameters);
    EXPECT_EQ(call.directory, "<null>");
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

// ---------------------------------------------------------------------------
// Small helpers.

// The page as text mode writes it: the composed text (pinned line by line by
// the unit tests) with CR LF line ends, no line break after the last line,
// no NUL.
std::string ReferrerPageBytes(const std::string& address)
{
    char text[4096];
    EXPECT_TRUE(ComposeReferrerPageText(kPageName, address.c_str(), text, sizeof(text)));
    std::string bytes;
    for (const char* c = text; *c != '\0'; ++c)
        bytes += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 29);
    EXPECT_NE(bytes.find("<a href=\"" + address + "\">" + address + "</a>"), std::string::npos);
    return bytes;
}

void SendCommand(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void ClickButton(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A key as the keyboard delivers it: to the focused control of the dialog.
void PressKey(HWND dialog, WPARAM key)
{
    HWND focus = GetFocus();
    HWND target = focus != NULL && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void PressCloseBox(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string ItemText(HWND dialog, int id)
{
    return WindowTextOf(GetDlgItem(dialog, id));
}

void ExpectWholeTextSelected(HWND dialog, int id, const std::string& text)
{
    EXPECT_EQ(ItemText(dialog, id), text);
    DWORD start = 0, end = 0;
    SendDlgItemMessageA(dialog, id, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, text.size());
}

void ExpectBox(const SeenMessageBox& box, const std::string& text, UINT style, HWND owner)
{
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.style, style) << std::hex << "style 0x" << box.style;
    EXPECT_EQ(box.owner, owner);
}

std::string ReadEnvironment(const char* name, bool& isSet)
{
    char value[32768];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    isSet = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    return length < sizeof(value) ? std::string(value, length) : std::string();
}

// ---------------------------------------------------------------------------
// Fixture: a fresh state record, recorded launches, answered boxes, and
// "TEMP" pointing at a folder of the test's own.

class OptionsTest : public testing::Test {
protected:
    MessageBoxAnswerer answerer = {};
    std::string tempFolder;
    std::string savedTemp, savedTmp;
    bool hadTemp = false, hadTmp = false;
    ShellExecuteFunction savedShellExecute = NULL;

    void SetUp() override
    {
        InitializeAppState(GetModuleHandleA(NULL));
        appState.windowIcon = (HICON)LoadImageA(appState.instanceHandle,
                                                MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16,
                                                16, 0);
        shellCalls.clear();
        savedShellExecute = optionsShellExecute;
        optionsShellExecute = RecordShellExecute;

        savedTemp = ReadEnvironment("TEMP", hadTemp);
        savedTmp = ReadEnvironment("TMP", hadTmp);
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        tempFolder = std::string(temp) + "tallyview-options-test";
        RemoveTree(tempFolder);
        ASSERT_TRUE(CreateDirectoryA(tempFolder.c_str(), NULL));
        SetEnvironmentVariableA("TEMP", tempFolder.c_str());
        DrainQueueForQuit();
    }

    void TearDown() override
    {
        StopAnsweringMessageBoxes(answerer);
        optionsShellExecute = savedShellExecute;
        SetEnvironmentVariableA("TEMP", hadTemp ? savedTemp.c_str() : NULL);
        SetEnvironmentVariableA("TMP", hadTmp ? savedTmp.c_str() : NULL);
        RemoveTree(tempFolder);
        if (appState.windowIcon != NULL)
            DestroyIcon(appState.windowIcon);
        appState.windowIcon = NULL;
        DrainQueueForQuit();
    }

    std::string PagePath() const { return tempFolder + "\\" + kPageName; }

    // Runs the Options dialog modally, as the information window does.
    size_t RunOptions(const std::vector<std::function<void()>>& steps, INT_PTR* result = NULL)
    {
        return RunWithSteps(
            [&] {
                INT_PTR ended = DialogBoxParamA(appState.instanceHandle,
                                                MAKEINTRESOURCEA(IDD_OPTIONS), NULL,
                                                OptionsDialogProc, 0);
                if (result != NULL)
                    *result = ended;
            },
            steps);
    }

    size_t RunDonate(const std::vector<std::function<void()>>& steps)
    {
        return RunWithSteps(
            [&] {
                DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_DONATE), NULL,
                                DonateDialogProc, 0);
            },
            steps);
    }
};

HWND OptionsDialog()
{
    return FindShownDialog(kOptionsCaption);
}

HWND DonateDialog()
{
    return FindShownDialog(kDonateCaption);
}

// ---------------------------------------------------------------------------
// Referrer page

using ReferrerPage = OptionsTest;

TEST_F(ReferrerPage, WritesTheExactPageIntoTempAndOpensIt)
{
    const char address[] = "https://www.example.com/a?b=1&c=2";
    OpenReferrerPage(address);
    ASSERT_EQ(shellCalls.size(), 1u);
    ExpectPlainLaunch(shellCalls[0], PagePath(), "<null>");
    // Text mode: CR LF line ends, no line break after the last line, no NUL.
    EXPECT_EQ(ReadBytes(PagePath()), ReferrerPageBytes(address));
}

TEST_F(ReferrerPage, OverwritesThePageAtEveryCall)
{
    OpenReferrerPage("https://www.example.com/a-rather-longer-first-address");
    OpenReferrerPage("https://www.example.com/b");
    ASSERT_EQ(shellCalls.size(), 2u);
    EXPECT_EQ(shellCalls[1].file, PagePath());
    EXPECT_EQ(ReadBytes(PagePath()), ReferrerPageBytes("https://www.example.com/b"));
}

TEST_F(ReferrerPage, TakesTmpWhenTempIsUnsetOrEmpty)
{
    std::string tmpFolder = tempFolder + "\\tmp";
    ASSERT_TRUE(CreateDirectoryA(tmpFolder.c_str(), NULL));
    SetEnvironmentVariableA("TMP", tmpFolder.c_str());
    const char* temps[] = {NULL, ""};
    for (const char* temp : temps) {
        SetEnvironmentVariableA("TEMP", temp);
        DeleteFileA((tmpFolder + "\\" + kPageName).c_str());
        shellCalls.clear();
        OpenReferrerPage("https://www.example.com/t");
        ASSERT_EQ(shellCalls.size(), 1u);
        EXPECT_EQ(shellCalls[0].file, tmpFolder + "\\" + kPageName);
        EXPECT_EQ(ReadBytes(tmpFolder + "\\" + kPageName),
                  ReferrerPageBytes("https://www.example.com/t"));
    }
}

TEST_F(ReferrerPage, OpensTheAddressItselfWhenNoPageCanBeWritten)
{
    const char address[] = "https://www.example.com/direct";
    const struct {
        const char* what;
        std::string temp;
        std::string tmp;
        bool tmpSet;
    } cases[] = {
        {"long TMP beside a short TEMP", tempFolder, "C:\\" + std::string(300, 't'), true},
        {"TEMP too long", "C:\\" + std::string(260, 't'), "", false},
        {"neither set", "", "", false},
        {"folder missing", tempFolder + "\\missing", "", false},
        {"folder is a file", tempFolder + "\\file.txt", "", false},
    };
    WriteBytes(tempFolder + "\\file.txt", "x");
    for (const auto& c : cases) {
        SetEnvironmentVariableA("TEMP", c.temp.empty() ? NULL : c.temp.c_str());
        SetEnvironmentVariableA("TMP", c.tmpSet ? c.tmp.c_str() : NULL);
        shellCalls.clear();
        OpenReferrerPage(address);
        ASSERT_EQ(shellCalls.size(), 1u) << c.what;
        ExpectPlainLaunch(shellCalls[0], address, "<null>");
        EXPECT_FALSE(Exists(PagePath())) << c.what;
    }
}

// ---------------------------------------------------------------------------
// Options dialog

using OptionsDialogTest = OptionsTest;

TEST_F(OptionsDialogTest, OpensFromItsTemplateAtTheLowerRightCorner)
{
    size_t ran = RunOptions({[] {
        HWND dialog = OptionsDialog();
        ASSERT_NE(dialog, (HWND)NULL) << "no dialog captioned " << kOptionsCaption;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), (HWND)NULL);
        ExpectWholeTextSelected(dialog, IDC_OPTIONS_ADDRESS, kProductAddress);
        EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_VERSION), kCaption);
        EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_COPYRIGHT),
                  "Copyright (C) HollowpineStudio. All rights reserved.");
        EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_TOOLS), "Built with MinGW-w64 and CMake");
        EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_ORIGIN),
                  "Original Geographical Source : England");
        EXPECT_EQ(ItemText(dialog, IDC_VISIT_SITE), "Visit Tallyview Internet && Forum Site...");
        EXPECT_EQ(ItemText(dialog, IDC_UPDATE_CHECK),
                  "Check the Internet for Tallyview updates (HTML)");
        EXPECT_EQ(ItemText(dialog, IDC_DONATE),
                  "Tallyview is Donationware - Please Make a Donation...");
        EXPECT_NE(GetMenu(dialog), (HMENU)NULL);
        EXPECT_EQ((HICON)SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), appState.windowIcon);

        RECT workArea, rect;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        GetWindowRect(dialog, &rect);
        EXPECT_EQ(rect.right, workArea.right);
        EXPECT_EQ(rect.bottom, workArea.bottom);
        PressCloseBox(dialog);
    }});
    EXPECT_EQ(ran, 1u);
}

TEST_F(OptionsDialogTest, EnterClosesItAndEscDoesNot)
{
    StartAnsweringMessageBoxes(answerer, {IDNO});
    INT_PTR result = -1;
    size_t ran = RunOptions(
        {[] { PressKey(OptionsDialog(), VK_ESCAPE); },
         [] {
             HWND dialog = OptionsDialog();
             ASSERT_NE(dialog, (HWND)NULL) << "Esc closed the dialog";
             SendCommand(dialog, IDCANCEL);
             SendCommand(dialog, 4242);
             EXPECT_TRUE(IsWindowVisible(dialog)) << "IDCANCEL closed the dialog";
             PressKey(dialog, VK_RETURN);
         }},
        &result);
    EXPECT_EQ(ran, 2u);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(answerer.seen.empty()) << "a key reached a button: " << answerer.seen[0].text;
    EXPECT_TRUE(shellCalls.empty());
    EXPECT_FALSE(DrainQueueForQuit());
}

TEST_F(OptionsDialogTest, CloseBoxAndOkCloseIt)
{
    INT_PTR result = -1;
    EXPECT_EQ(RunOptions({[] { PressCloseBox(OptionsDialog()); }}, &result), 1u);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(RunOptions({[] {
                  HWND dialog = OptionsDialog();
                  SendCommand(dialog, IDOK);
                  EXPECT_FALSE(IsWindowVisible(dialog));
              }},
                         &result),
              1u);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(DrainQueueForQuit());
}

TEST_F(OptionsDialogTest, ExitEndsTheDialogAndPostsQuit)
{
    size_t ran = RunOptions({[] { SendCommand(OptionsDialog(), IDM_EXIT); }});
    EXPECT_EQ(ran, 1u);
    EXPECT_TRUE(DrainQueueForQuit()) << "the quit message must reach the main loop";
}

TEST_F(OptionsDialogTest, ExploreDataFolderOpensExplorerThereWithoutCreatingIt)
{
    ScopedAppData scoped;
    ASSERT_TRUE(UseFreshAppData(scoped, "tallyview-options-appdata"));
    std::string folder = scoped.folder + "\\[hollowpinestudio]TallyviewData";
    RunOptions({[] {
        HWND dialog = OptionsDialog();
        SendCommand(dialog, IDM_EXPLORE_DATA);
        // No data folder at all: nothing happens and nothing is said.
        DeleteAppDataValue();
        SendCommand(dialog, IDM_EXPLORE_DATA);
        PressCloseBox(dialog);
    }});
    RestoreAppData(scoped);
    ASSERT_EQ(shellCalls.size(), 1u);
    ExpectPlainLaunch(shellCalls[0], "Explorer", folder);
    EXPECT_FALSE(Exists(folder)) << "the command must not create the folder";
}

TEST_F(OptionsDialogTest, ExploreContainingFolderSelectsTheProgramFile)
{
    RunOptions({[] {
        HWND dialog = OptionsDialog();
        SendCommand(dialog, IDM_EXPLORE_FOLDER);
        PressCloseBox(dialog);
    }});
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, sizeof(program));
    ASSERT_EQ(shellCalls.size(), 1u);
    ExpectPlainLaunch(shellCalls[0], "Explorer", std::string("/select,\"") + program + "\"");
}

TEST_F(OptionsDialogTest, LinksCommandOpensTheLinksDialogOverIt)
{
    HWND options = NULL;
    size_t ran = RunOptions({[&] {
                                 options = OptionsDialog();
                                 SendCommand(options, IDM_LINKS);
                             },
                             [&] {
                                 HWND links = FindShownDialog(kLinksCaption);
                                 ASSERT_NE(links, (HWND)NULL) << "no Links dialog";
                                 EXPECT_EQ(GetWindow(links, GW_OWNER), options);
                                 EXPECT_FALSE(IsWindowEnabled(options));
                                 PressCloseBox(links);
                             },
                             [&] {
                                 EXPECT_EQ(FindShownDialog(kLinksCaption), (HWND)NULL);
                                 EXPECT_TRUE(IsWindowEnabled(options));
                                 EXPECT_TRUE(IsWindowVisible(options));
                                 PressCloseBox(options);
                             }});
    EXPECT_EQ(ran, 3u);
}

TEST_F(OptionsDialogTest, VisitAsksOverTheDialogAndOpensTheProductPageOnYes)
{
    // The menu item answered No, then the button answered Yes.
    StartAnsweringMessageBoxes(answerer, {IDNO, IDYES});
    HWND dialog = NULL;
    RunOptions({[&] {
        dialog = OptionsDialog();
        SendCommand(dialog, IDM_VISIT_SITE);
        EXPECT_TRUE(shellCalls.empty()) << "No opened a page";
        ClickButton(dialog, IDC_VISIT_SITE);
        PressCloseBox(dialog);
    }});
    ASSERT_EQ(answerer.seen.size(), 2u);
    for (const SeenMessageBox& box : answerer.seen)
        ExpectBox(box, std::string("Visit the Tallyview Internet & Forum Site?") + kQuestionNote,
                  MB_YESNO | MB_ICONQUESTION, dialog);
    ASSERT_EQ(shellCalls.size(), 1u);
    ExpectPlainLaunch(shellCalls[0], PagePath(), "<null>");
    EXPECT_EQ(ReadBytes(PagePath()), ReferrerPageBytes(kProductAddress));
}

TEST_F(OptionsDialogTest, UpdateCheckAsksWithNoOwnerAndOpensTheCheckAddressOnYes)
{
    StartAnsweringMessageBoxes(answerer, {IDNO, IDYES});
    RunOptions({[] {
        HWND dialog = OptionsDialog();
        ClickButton(dialog, IDC_UPDATE_CHECK);
        EXPECT_TRUE(shellCalls.empty()) << "No opened a page";
        SendCommand(dialog, IDM_UPDATE_CHECK);
        PressCloseBox(dialog);
    }});
    ASSERT_EQ(answerer.seen.size(), 2u);
    for (const SeenMessageBox& box : answerer.seen)
        ExpectBox(box, std::string("Check for Tallyview updates?") + kQuestionNote,
                  MB_YESNO | MB_ICONQUESTION, NULL);
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].file, PagePath());
    EXPECT_EQ(ReadBytes(PagePath()),
              ReferrerPageBytes("https://www.example.com/software/tallyview\\"
                                "version_checker.pl?version=Tallyview v1.4.0.0"));
}

TEST_F(OptionsDialogTest, DonateMenuAndButtonOpenTheDonateDialogOverIt)
{
    HWND options = NULL;
    auto expectDonateOverOptions = [&] {
        HWND donate = DonateDialog();
        ASSERT_NE(donate, (HWND)NULL) << "no Donate dialog";
        EXPECT_EQ(GetWindow(donate, GW_OWNER), options);
        EXPECT_FALSE(IsWindowEnabled(options));
        PressCloseBox(donate);
    };
    size_t ran = RunOptions({[&] {
                                 options = OptionsDialog();
                                 SendCommand(options, IDM_DONATE);
                             },
                             expectDonateOverOptions,
                             [&] {
                                 EXPECT_TRUE(IsWindowEnabled(options));
                                 ClickButton(options, IDC_DONATE);
                             },
                             expectDonateOverOptions,
                             [&] { PressCloseBox(options); }});
    EXPECT_EQ(ran, 5u);
}

TEST_F(OptionsDialogTest, InformationWindowButtonOpensItWithoutOwner)
{
    ScopedAppData scoped;
    ASSERT_TRUE(UseFreshAppData(scoped, "tallyview-options-window"));
    InitCommonControls();
    CoInitialize(NULL);
    appState.comInitialized = 1;
    LoadRowIcons();
    ASSERT_TRUE(CreateMeasureFont());
    HWND window = CreateDialogParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_INFORMATION),
                                     NULL, InformationWindowProc, 0);
    ASSERT_NE(window, (HWND)NULL);
    appState.mainWindow = window;

    size_t ran = RunWithSteps(
        [&] { SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_OPTIONS_BUTTON, BN_CLICKED), 0); },
        {[&] {
            HWND options = OptionsDialog();
            ASSERT_NE(options, (HWND)NULL);
            EXPECT_EQ(GetWindow(options, GW_OWNER), (HWND)NULL);
            EXPECT_TRUE(IsWindowEnabled(window)) << "the window must stay usable";
            PressCloseBox(options);
        }});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(GetActiveWindow(), window);

    appState.windowIcon = NULL;  // the fixture releases its own icon
    ShutdownApplication();
    DrainQueueForQuit();
    RestoreAppData(scoped);
}

// ---------------------------------------------------------------------------
// Donate dialog

using DonateDialogTest = OptionsTest;

// Alters one byte of the address in the running program, as a patched
// program file would.
void PokeAddress(size_t index, char value)
{
    char* at = const_cast<char*>(kDonationAddress) + index;
    DWORD oldProtection = 0;
    ASSERT_TRUE(VirtualProtect(at, 1, PAGE_READWRITE, &oldProtection));
    *(volatile char*)at = value;
    VirtualProtect(at, 1, oldProtection, &oldProtection);
}

TEST_F(DonateDialogTest, ShowsTheAddressSelectedAndThePictureButton)
{
    HBITMAP bitmap = NULL;
    size_t ran = RunDonate({[&] {
        HWND dialog = DonateDialog();
        ASSERT_NE(dialog, (HWND)NULL) << "no dialog captioned " << kDonateCaption;
        ExpectWholeTextSelected(dialog, IDC_DONATE_ADDRESS, kDonationAddressText);
        bitmap = donateButtonBitmap;
        ASSERT_NE(bitmap, (HBITMAP)NULL);
        EXPECT_EQ((HBITMAP)SendDlgItemMessageA(dialog, IDC_DONATE_PICTURE, BM_GETIMAGE,
                                               IMAGE_BITMAP, 0),
                  bitmap);
        BITMAP info;
        ASSERT_EQ(GetObjectA(bitmap, sizeof(info), &info), (int)sizeof(info));
        EXPECT_EQ(info.bmWidth, 62);
        EXPECT_EQ(info.bmHeight, 31);
        EXPECT_EQ((HICON)SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), appState.windowIcon);
        PressCloseBox(dialog);
    }});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(donateButtonBitmap, (HBITMAP)NULL);
    EXPECT_EQ(GetObjectType(bitmap), 0u) << "the bitmap was not deleted";
    EXPECT_TRUE(shellCalls.empty());
    EXPECT_FALSE(DrainQueueForQuit());
}

TEST_F(DonateDialogTest, EscAndEnterLeaveItOpenOnlyTheCloseBoxCloses)
{
    size_t ran = RunDonate({[] { PressKey(DonateDialog(), VK_ESCAPE); },
                            [] {
                                HWND dialog = DonateDialog();
                                ASSERT_NE(dialog, (HWND)NULL) << "Esc closed the dialog";
                                PressKey(dialog, VK_RETURN);
                            },
                            [] {
                                HWND dialog = DonateDialog();
                                ASSERT_NE(dialog, (HWND)NULL) << "Enter closed the dialog";
                                SendCommand(dialog, IDOK);
                                SendCommand(dialog, IDCANCEL);
                                EXPECT_TRUE(IsWindowVisible(dialog));
                                PressCloseBox(dialog);
                            }});
    EXPECT_EQ(ran, 3u);
    EXPECT_TRUE(shellCalls.empty());
}

TEST_F(DonateDialogTest, PictureButtonConfirmsThenOpensTheDonationPage)
{
    StartAnsweringMessageBoxes(answerer, {IDOK});
    HWND dialog = NULL;
    RunDonate({[&] {
        dialog = DonateDialog();
        ClickButton(dialog, IDC_DONATE_PICTURE);
        PressCloseBox(dialog);
    }});
    ASSERT_EQ(answerer.seen.size(), 1u);
    ExpectBox(answerer.seen[0],
              std::string("The donation URL...\n\n'") + kDonationAddressText +
                  "'\n\n... for this software...\n\n'Tallyview-ZezedazUrod v1.4.0.0'\n\n...has "
                  "been *checked* for correctness (It is possible that the URL has been altered "
                  "by a third party; always check a important URL begins with a known "
                  "domain).\n\nFor better security, please use the donate button that can be "
                  "found on https://www.example.com internet pages.",
              MB_OK | MB_ICONINFORMATION, dialog);
    ASSERT_EQ(shellCalls.size(), 1u);
    ExpectPlainLaunch(shellCalls[0], PagePath(), "<null>");
    EXPECT_EQ(ReadBytes(PagePath()), ReferrerPageBytes(kDonationAddressText));
    EXPECT_FALSE(DrainQueueForQuit());
}

const char kWarningText[] =
    "WARNING: The URL for internet donations to https://www.example.com appears to have been "
    "hacked (or is incorrect or corrupted in some way). You should download the latest version "
    "of this software immediately _direct_ from https://www.example.com, and stop using this "
    "hacked/corrupted software. Also, if you have time, please email the donate@example.com to "
    "inform where you originally obtained this software from.";

TEST_F(DonateDialogTest, AnAddressAlteredInTheProgramIsCaughtWhenItOpens)
{
    const size_t index = strlen(kDonationAddress) - 1;  // "...DonationsBF" -> "...DonationsBG"
    const char saved = kDonationAddress[index];
    StartAnsweringMessageBoxes(answerer, {IDOK});
    PokeAddress(index, 'G');
    size_t ran = RunWithSteps(
        [&] {
            // The warning is shown during initialisation; the quit message
            // then ends the dialog's loop.
            DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_DONATE), NULL,
                            DonateDialogProc, 0);
        },
        {});
    PokeAddress(index, saved);
    EXPECT_EQ(ran, 0u);
    ASSERT_EQ(answerer.seen.size(), 1u);
    // The dialog is gone by now; its handle is only known from the box.
    EXPECT_NE(answerer.seen[0].owner, (HWND)NULL) << "the warning must be owned by the dialog";
    ExpectBox(answerer.seen[0], kWarningText, MB_OK | MB_ICONERROR, answerer.seen[0].owner);
    EXPECT_TRUE(DrainQueueForQuit()) << "a failed check must end the program";
    EXPECT_TRUE(shellCalls.empty());
    EXPECT_EQ(donateButtonBitmap, (HBITMAP)NULL) << "the bitmap outlived the dialog";
    EXPECT_STREQ(kDonationAddress, kDonationAddressText);
}

TEST_F(DonateDialogTest, AnAddressAlteredLaterIsCaughtAtThePictureButtonAndNotOpened)
{
    const size_t index = 8;  // "https://payments..." -> "https://Xayments..."
    const char saved = kDonationAddress[index];
    StartAnsweringMessageBoxes(answerer, {IDOK});
    HWND dialog = NULL;
    RunDonate({[&] {
        dialog = DonateDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        EXPECT_TRUE(answerer.seen.empty()) << "the intact address was refused";
        PokeAddress(index, 'X');
        ClickButton(dialog, IDC_DONATE_PICTURE);
        PokeAddress(index, saved);
    }});
    ASSERT_EQ(answerer.seen.size(), 1u);
    ExpectBox(answerer.seen[0], kWarningText, MB_OK | MB_ICONERROR, dialog);
    EXPECT_TRUE(DrainQueueForQuit());
    EXPECT_TRUE(shellCalls.empty()) << "a tampered address was opened";
}

// ---------------------------------------------------------------------------
// First-run disclaimer, in a current directory of the test's own.

const char kMarkerName[] = "TermsAccepted-Tallyview_DozidodUder.txt";
const std::string kSentence =
    "The Terms and Conditions and Disclaimer for 'Tallyview-ZezedazUrod v1.4.0.0' have been "
    "accepted.";
const char kDisclaimerText[] =
    "LEGAL DISCLAIMER: This software [Tallyview-ZezedazUrod v1.4.0.0] is supplied with no "
    "warranties given for any purpose whatsoever. \n\nClick 'Yes' to Accept these terms and "
    "continue with use of this software; Click 'No' to reject these terms and discontinue use "
    "of this software.";
const char kOfferText[] =
    "This is the first time you have run this version of this application.\n\nCreate "
    "links/shortcuts to Tallyview-ZezedazUrod v1.4.0.0?";

class TermsTest : public OptionsTest {
protected:
    std::string workFolder;
    char savedDirectory[MAX_PATH] = {0};

    void SetUp() override
    {
        OptionsTest::SetUp();
        workFolder = tempFolder + "\\work";
        ASSERT_TRUE(CreateDirectoryA(workFolder.c_str(), NULL));
        GetCurrentDirectoryA(sizeof(savedDirectory), savedDirectory);
        ASSERT_TRUE(SetCurrentDirectoryA(workFolder.c_str()));
    }

    void TearDown() override
    {
        SetFileAttributesA(MarkerPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        SetCurrentDirectoryA(savedDirectory);
        OptionsTest::TearDown();
    }

    std::string MarkerPath() const { return workFolder + "\\" + kMarkerName; }

    // Runs the check with no dialog expected to stay open.
    bool Accept(const std::vector<std::function<void()>>& steps = {})
    {
        bool accepted = false;
        RunWithSteps([&] { accepted = AcceptTermsOnFirstRun(); }, steps);
        return accepted;
    }
};

TEST_F(TermsTest, AValidMarkerShowsNothing)
{
    const std::string markers[] = {
        kSentence,
        " \t" + kSentence + " \r\nsecond line\r\n",
        kSentence.substr(0, kSentence.size() - 1),
    };
    StartAnsweringMessageBoxes(answerer, {IDNO});
    for (const std::string& marker : markers) {
        WriteBytes(MarkerPath(), marker);
        EXPECT_TRUE(Accept()) << marker;
        EXPECT_EQ(ReadBytes(MarkerPath()), marker) << "a valid marker is left as it is";
    }
    EXPECT_TRUE(answerer.seen.empty());
}

TEST_F(TermsTest, AcceptingTheOfferOpensTheLinksDialogWithoutOwner)
{
    StartAnsweringMessageBoxes(answerer, {IDYES, IDYES});
    size_t ran = 0;
    bool accepted = false;
    ran = RunWithSteps([&] { accepted = AcceptTermsOnFirstRun(); },
                       {[] {
                           HWND links = FindShownDialog(kLinksCaption);
                           ASSERT_NE(links, (HWND)NULL) << "no Links dialog";
                           EXPECT_EQ(GetWindow(links, GW_OWNER), (HWND)NULL);
                           PressCloseBox(links);
                       }});
    EXPECT_EQ(ran, 1u);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(ReadBytes(MarkerPath()), kSentence);
}

TEST_F(TermsTest, AReadOnlyMarkerAsksAgainThenFailsWithTheError)
{
    // Even a valid sentence does not count: the marker cannot be updated.
    WriteBytes(MarkerPath(), kSentence);
    ASSERT_TRUE(SetFileAttributesA(MarkerPath().c_str(), FILE_ATTRIBUTE_READONLY));
    StartAnsweringMessageBoxes(answerer, {IDYES});
    EXPECT_FALSE(Accept());
    ASSERT_EQ(answerer.seen.size(), 2u);
    ExpectBox(answerer.seen[0], kDisclaimerText, MB_YESNO | MB_ICONWARNING, NULL);
    ExpectBox(answerer.seen[1],
              "ERROR: Could not create 'TermsAccepted-Tallyview_DozidodUder.txt' "
              "['TermsAccepted-Tallyview_DozidodUder.txt'].",
              MB_OK | MB_ICONWARNING, NULL);
    EXPECT_EQ(ReadBytes(MarkerPath()), kSentence);
}

}  // namespace
