// The Options dialog, the Links dialog, the referrer page and the first-run
// disclaimer, driven from outside: the driver presses the program's buttons,
// sends its menu commands, answers its message boxes and checks the files
// and the exit code it leaves behind.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver_support.h"

static const char kOptionsCaption[] =
    "Tallyview-ZezedazUrod v1.4.0.0 - Options - HOLLOWPINESTUDIO";
static const char kLinksCaption[] = "Tallyview-ZezedazUrod v1.4.0.0 - Links - HOLLOWPINESTUDIO";
static const char kLinkFileName[] = "Tallyview-ZezedazUrod [HollowpineStudio].lnk";
static const char kPageFileName[] =
    "Tallyview-ZezedazUrod v1.4.0.0 - Internet Referrering Page.htm";
static const char kProductAddress[] = "https://www.example.com/software/tallyview";
static const char kMakerAddress[] = "https://www.example.com";

static const int kBarButtonId = 1020;
static const int kVisitButtonId = 1016;
static const int kProcessButtonId = 1010;
static const int kUserDesktopBoxId = 1202;
static const WORD kExitCommand = 40001;
static const WORD kLinksCommand = 40004;
static const WORD kHelpCommand = 40005;

static const char kHelpText[] =
    "This build of Tallyview is operating in ZezedazUrod (with no option not to).\n\nWhen in "
    "network mode, Tallyview creates a folder in the current users' My Documents folder called "
    "'[hollowpinestudio]TallyviewData' and stores a data file for every computer used therein "
    "(referenced by the COMPUTERNAME). When in network mode, Tallyview will only display "
    "information if the machine configuration has altered since the last data was saved.";
static const char kVisitQuestion[] =
    "Visit the Tallyview Internet & Forum Site?\n\nPLEASE NOTE: This will generate a HTML page "
    "that can be checked for routed personal information by viewing the source. Your firewall "
    "will not be queried for permission.";
static const char kDisclaimerText[] =
    "LEGAL DISCLAIMER: This software [Tallyview-ZezedazUrod v1.4.0.0] is supplied with no "
    "warranties given for any purpose whatsoever. \n\nClick 'Yes' to Accept these terms and "
    "continue with use of this software; Click 'No' to reject these terms and discontinue use "
    "of this software.";
static const char kLinksOfferText[] =
    "This is the first time you have run this version of this application.\n\nCreate "
    "links/shortcuts to Tallyview-ZezedazUrod v1.4.0.0?";

// The page for the product address, line by line as the reader's browser
// gets it: CR LF between lines, none after the last.
static std::string ExpectedProductPage()
{
    const std::string product = kProductAddress;
    const std::string lines[] = {
        "<html>",
        "<head>",
        std::string("<title>") + kPageFileName + "</title>",
        "</head>",
        "",
        "<body>",
        "",
        "<font face=\"arial\" size=\"4\">",
        "",
        "Click to visit.....",
        "",
        "<br><br>",
        "",
        "<a href=\"" + product + "\">" + product + "</a><br><br>",
        "",
        "</font>",
        "",
        "<br><br>",
        "",
        "<table border=\"0\" width=\"400\">",
        "<td>",
        "<font face=\"arial\" size=\"2\">",
        std::string("[<a href=\"") + kMakerAddress +
            "\">HollowpineStudio</a> (and it's associates) cannot be held responsible for the "
            "content of linked internet sites/pages.",
        "The content of linked internet sites/pages is the property of their respective owners.]",
        "</font>",
        "</td>",
        "</table>",
        "",
        "</body>",
        "</html>",
    };
    std::string page;
    for (const std::string& line : lines)
        page += (page.empty() ? "" : "\r\n") + line;
    return page;
}

// BST_CHECKED or BST_UNCHECKED, or -1 when the program did not answer.
static LRESULT CheckState(HWND checkBox)
{
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutA(checkBox, BM_GETCHECK, 0, 0, SMTO_NORMAL, kEndTimeoutMs, &state))
        return -1;
    return (LRESULT)state;
}

class OptionsRun : public ProgramRun {
protected:
    // Waits for the program's next message box, checks its text and its
    // buttons, presses `button` and waits for the box to go.
    void AnswerBox(const std::string& text, bool yesNo, int button)
    {
        HWND box = WaitForWindow(kCaption, IsMessageBox);
        ASSERT_NE(box, (HWND)NULL) << "no box showed for " << Printable(text) << "; "
                                   << EndState();
        EXPECT_EQ(WindowText(MessageBoxTextControl(box)), text);
        EXPECT_EQ(GetDlgItem(box, IDYES) != NULL, yesNo) << "Yes button";
        EXPECT_EQ(GetDlgItem(box, IDNO) != NULL, yesNo) << "No button";
        EXPECT_EQ(GetDlgItem(box, IDOK) != NULL, !yesNo) << "OK button";
        HWND pressed = GetDlgItem(box, button);
        ASSERT_NE(pressed, (HWND)NULL) << "no button " << button;
        ASSERT_TRUE(PostMessageA(pressed, BM_CLICK, 0, 0));
        ASSERT_TRUE(WaitUntilGone(box)) << "the box stayed after button " << button;
    }

    void Press(HWND dialog, int buttonId)
    {
        HWND button = GetDlgItem(dialog, buttonId);
        ASSERT_NE(button, (HWND)NULL) << "no control " << buttonId;
        // Posted: the press opens modal loops that would hold a sent message.
        ASSERT_TRUE(PostMessageA(button, BM_CLICK, 0, 0));
    }

    void Command(HWND dialog, WORD command)
    {
        ASSERT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, 0), 0));
    }

    // Starts the program on a first start, so its window shows, and opens
    // the Options dialog with the bar button under the list.
    void StartAndOpenOptions(HWND& window, HWND& options)
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        window = WaitForShownWindow();
        ASSERT_NE(window, (HWND)NULL) << "the window did not show; " << EndState();
        ASSERT_NO_FATAL_FAILURE(Press(window, kBarButtonId));
        options = WaitForWindow(kOptionsCaption, NULL);
        ASSERT_NE(options, (HWND)NULL) << "the Options dialog did not open; " << EndState();
    }

    // Closing both windows ends the program normally; a box left open by
    // anything before would keep it running.
    void CloseOptionsAndProgram(HWND window, HWND options)
    {
        ASSERT_TRUE(PostMessageA(options, WM_CLOSE, 0, 0));
        ASSERT_TRUE(WaitUntilGone(options)) << "the Options dialog stayed";
        ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
    }

    // Opens the Links dialog from the menu, flips "User Desktop", processes
    // and closes the dialog again.
    void FlipUserDesktopAndProcess(HWND options, bool tickedAtOpen)
    {
        const LRESULT opening = tickedAtOpen ? BST_CHECKED : BST_UNCHECKED;
        const LRESULT flipped = tickedAtOpen ? BST_UNCHECKED : BST_CHECKED;
        ASSERT_NO_FATAL_FAILURE(Command(options, kLinksCommand));
        HWND links = WaitForWindow(kLinksCaption, NULL);
        ASSERT_NE(links, (HWND)NULL) << "the Links dialog did not open; " << EndState();
        HWND userDesktop = GetDlgItem(links, kUserDesktopBoxId);
        ASSERT_NE(userDesktop, (HWND)NULL);
        EXPECT_TRUE(IsWindowEnabled(userDesktop)) << "the desktop folder exists";
        ASSERT_EQ(CheckState(userDesktop), opening) << "at opening";
        ASSERT_NO_FATAL_FAILURE(Press(links, kUserDesktopBoxId));
        ASSERT_NO_FATAL_FAILURE(Press(links, kProcessButtonId));
        ASSERT_NO_FATAL_FAILURE(AnswerBox("Process the specified links?", true, IDYES));
        ASSERT_NO_FATAL_FAILURE(AnswerBox("Links Processing complete.", false, IDOK));
        // The refresh after processing runs under the completion box.
        EXPECT_EQ(CheckState(userDesktop), flipped) << "after processing";
        ASSERT_NO_FATAL_FAILURE(Command(links, IDOK));
        ASSERT_TRUE(WaitUntilGone(links)) << "the Links dialog stayed";
    }
};

// The first-run disclaimer comes before any window.
class FirstRun : public OptionsRun {
};

TEST_F(OptionsRun, BarButtonOpensOptionsAtTheLowerRightOfTheWorkArea)
{
    HWND window = NULL;
    HWND options = NULL;
    ASSERT_NO_FATAL_FAILURE(StartAndOpenOptions(window, options));

    RECT rect;
    RECT workArea;
    ASSERT_TRUE(GetWindowRect(options, &rect));
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0));
    EXPECT_EQ(rect.right, workArea.right);
    EXPECT_EQ(rect.bottom, workArea.bottom);
    EXPECT_EQ(GetWindow(options, GW_OWNER), (HWND)NULL);
    EXPECT_TRUE(IsWindowEnabled(window)) << "an unowned dialog leaves the window enabled";

    ASSERT_NO_FATAL_FAILURE(CloseOptionsAndProgram(window, options));
}

TEST_F(OptionsRun, HelpCommandShowsTheHelpTextAndOkClosesIt)
{
    HWND window = NULL;
    HWND options = NULL;
    ASSERT_NO_FATAL_FAILURE(StartAndOpenOptions(window, options));

    ASSERT_NO_FATAL_FAILURE(Command(options, kHelpCommand));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kHelpText, false, IDOK));
    EXPECT_TRUE(IsWindowVisible(options)) << "the Options dialog stays open";

    ASSERT_NO_FATAL_FAILURE(CloseOptionsAndProgram(window, options));
}

TEST_F(OptionsRun, ExitCommandEndsTheProgramAndSavesTheSnapshot)
{
    HWND window = NULL;
    HWND options = NULL;
    ASSERT_NO_FATAL_FAILURE(StartAndOpenOptions(window, options));
    ASSERT_FALSE(FileExists(SnapshotPath())) << "nothing is written before the end";

    ASSERT_NO_FATAL_FAILURE(Command(options, kExitCommand));
    EXPECT_EQ(WaitForEnd(), 1u) << "Exit ends the whole program";

    std::string bytes;
    ASSERT_TRUE(ReadBytes(SnapshotPath(), bytes)) << "no snapshot at " << SnapshotPath();
    // This computer's lines: its name first, a NUL after the last.
    std::string firstLine = computerName + "\r\n";
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.compare(0, firstLine.size(), firstLine), 0) << Printable(bytes);
    EXPECT_EQ(bytes.back(), '\0') << Printable(bytes);
}

TEST_F(OptionsRun, VisitButtonWritesTheReferrerPageIntoTempOnlyAfterYes)
{
    HWND window = NULL;
    HWND options = NULL;
    ASSERT_NO_FATAL_FAILURE(StartAndOpenOptions(window, options));
    std::string page = tempFolder + "\\" + kPageFileName;

    ASSERT_NO_FATAL_FAILURE(Press(options, kVisitButtonId));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kVisitQuestion, true, IDNO));
    // The second question shows only once the first answer was handled.
    ASSERT_NO_FATAL_FAILURE(Press(options, kVisitButtonId));
    HWND box = WaitForWindow(kCaption, IsMessageBox);
    ASSERT_NE(box, (HWND)NULL) << EndState();
    EXPECT_FALSE(FileExists(page)) << "No wrote a page";
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kVisitQuestion, true, IDYES));

    // The dialog handles its close only after the page was written.
    ASSERT_NO_FATAL_FAILURE(CloseOptionsAndProgram(window, options));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(page, bytes)) << "no page at " << page;
    EXPECT_EQ(bytes, ExpectedProductPage());
}

TEST_F(OptionsRun, LinksDialogCreatesAndDeletesTheDesktopShortcut)
{
    std::string desktop = rootFolder + "\\Desktop";
    ASSERT_TRUE(CreateDirectoryA(desktop.c_str(), NULL));
    ASSERT_NO_FATAL_FAILURE(ChangeUserValue(kShellFoldersKey, "Desktop", REG_SZ, desktop));
    ASSERT_NO_FATAL_FAILURE(
        ChangeUserValue(kUserShellFoldersKey, "Desktop", REG_EXPAND_SZ, desktop));
    std::string link = desktop + "\\" + kLinkFileName;

    HWND window = NULL;
    HWND options = NULL;
    ASSERT_NO_FATAL_FAILURE(StartAndOpenOptions(window, options));

    ASSERT_NO_FATAL_FAILURE(FlipUserDesktopAndProcess(options, false));
    EXPECT_TRUE(FileExists(link)) << "no shortcut at " << link;
    // Reopened, the box is ticked only if the shortcut starts this program.
    ASSERT_NO_FATAL_FAILURE(FlipUserDesktopAndProcess(options, true));
    EXPECT_FALSE(FileExists(link)) << "the shortcut was not deleted";

    ASSERT_NO_FATAL_FAILURE(CloseOptionsAndProgram(window, options));
}

TEST_F(FirstRun, RefusedDisclaimerEndsTheProgramWithoutWritingAnything)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram(false));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kDisclaimerText, true, IDNO));
    EXPECT_EQ(WaitForEnd(), 1u);
    EXPECT_FALSE(FileExists(workFolder + "\\" + kTermsFileName));
    EXPECT_FALSE(FolderExists(DataFolder()));
}

TEST_F(FirstRun, AcceptedDisclaimerWritesTheMarkerAndOffersLinks)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram(false));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kDisclaimerText, true, IDYES));

    // The marker is written before the offer shows.
    HWND offer = WaitForWindow(kCaption, IsMessageBox);
    ASSERT_NE(offer, (HWND)NULL) << EndState();
    std::string marker;
    ASSERT_TRUE(ReadBytes(workFolder + "\\" + kTermsFileName, marker)) << "no marker";
    EXPECT_EQ(marker, std::string(kTermsText));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kLinksOfferText, true, IDNO));

    HWND window = WaitForShownWindow();
    ASSERT_NE(window, (HWND)NULL) << "the window did not show; " << EndState();
    EXPECT_EQ(FindProgramWindow(process.dwProcessId, kLinksCaption, NULL), (HWND)NULL)
        << "No opened the Links dialog";
    ASSERT_NO_FATAL_FAILURE(CloseAndExpectExitCodeOne(window));
}
