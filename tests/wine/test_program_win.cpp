// The built program started as a separate process.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "wine_test_support.h"

static const char kMutexName[] = "GlobalMutexHollowpineStudioTallyviewDozidodUder";
static const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";

class Program : public testing::Test {
protected:
    ScopedAppData scoped;
    std::string workFolder;
    PROCESS_INFORMATION process = PROCESS_INFORMATION();

    void SetUp() override
    {
        ASSERT_FALSE(TestedProgramPath().empty()) << "run with --program=<tallyview.exe>";
        // No snapshot stored, and the disclaimer already accepted in the
        // folder the program starts in.
        ASSERT_TRUE(UseFreshAppData(scoped, "tallyview-program-test"));
        workFolder = scoped.folder + "\\work";
        CreateDirectoryA(workFolder.c_str(), NULL);
        WriteBytes(workFolder + "\\TermsAccepted-Tallyview_DozidodUder.txt",
                   "The Terms and Conditions and Disclaimer for 'Tallyview-ZezedazUrod v1.4.0.0' "
                   "have been accepted.");
    }

    void TearDown() override
    {
        if (process.hProcess != NULL) {
            TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        RestoreAppData(scoped);
    }

    bool Start()
    {
        std::string commandLine = "\"" + TestedProgramPath() + "\"";
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof(startup));
        startup.cb = sizeof(startup);
        return CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                              workFolder.c_str(), &startup, &process) != FALSE;
    }

    // The exit code, or -1 when the program did not end in time.
    long WaitForEnd(DWORD timeoutMs)
    {
        if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        process = PROCESS_INFORMATION();
        return (long)code;
    }
};

TEST_F(Program, SecondCopyEndsAtOnceWithExitCodeOne)
{
    // Holding the mutex makes this test the running copy.
    HANDLE mutex = CreateMutexA(NULL, TRUE, kMutexName);
    ASSERT_NE(mutex, (HANDLE)NULL);
    ASSERT_NE(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS) << "another copy is running";

    ASSERT_TRUE(Start());
    EXPECT_EQ(WaitForEnd(20000), 1);
    EXPECT_EQ(FindWindowA(NULL, kCaption), (HWND)NULL) << "the second copy showed a window";
    EXPECT_FALSE(Exists(scoped.folder + "\\[hollowpinestudio]TallyviewData"))
        << "the second copy touched the data folder";
    CloseHandle(mutex);
}

TEST_F(Program, ShowsItsWindowAndEndsWithExitCodeOneWhenClosed)
{
    ASSERT_TRUE(Start());
    HWND window = NULL;
    for (int i = 0; i < 200 && window == NULL; ++i) {
        window = FindWindowA(NULL, kCaption);
        // The information window, not a message box of the same caption.
        if (window == NULL || !IsWindowVisible(window) || GetDlgItem(window, 1025) == NULL) {
            window = NULL;
            Sleep(100);
        }
    }
    ASSERT_NE(window, (HWND)NULL) << "the window did not appear within 20 s";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForEnd(20000), 1) << "the program did not end after WM_CLOSE";
}
