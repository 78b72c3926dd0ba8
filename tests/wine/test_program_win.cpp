// The built program started as a separate process.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "wine_test_support.h"

static const char kMutexName[] = "GlobalMutexHollowpineStudioTallyviewDozidodUder";
static const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";

// Starts the program and waits up to `timeoutMs` for it to end; returns its
// exit code, or -1 when it did not start or did not end in time (then it is
// ended).
static long RunProgram(DWORD timeoutMs)
{
    std::string commandLine = "\"" + TestedProgramPath() + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return -1;
    long result = -1;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result = (long)code;
    } else {
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

TEST(Program, SecondCopyEndsAtOnceWithExitCodeOne)
{
    ASSERT_FALSE(TestedProgramPath().empty()) << "run with --program=<tallyview.exe>";
    // Holding the mutex makes this test the running copy.
    HANDLE mutex = CreateMutexA(NULL, TRUE, kMutexName);
    ASSERT_NE(mutex, (HANDLE)NULL);
    ASSERT_NE(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS) << "another copy is running";

    EXPECT_EQ(RunProgram(20000), 1);
    EXPECT_EQ(FindWindowA(NULL, kCaption), (HWND)NULL) << "the second copy showed a window";
    CloseHandle(mutex);
}

TEST(Program, ShowsItsWindowAndEndsWithExitCodeOneWhenClosed)
{
    ASSERT_FALSE(TestedProgramPath().empty()) << "run with --program=<tallyview.exe>";
    std::string commandLine = "\"" + TestedProgramPath() + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                               &process));

    HWND window = NULL;
    for (int i = 0; i < 200 && window == NULL; ++i) {
        window = FindWindowA(NULL, kCaption);
        if (window == NULL || !IsWindowVisible(window)) {
            window = NULL;
            Sleep(100);
        }
    }
    EXPECT_NE(window, (HWND)NULL) << "the window did not appear within 20 s";
    if (window != NULL)
        PostMessageA(window, WM_CLOSE, 0, 0);

    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 1u);
    } else {
        TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "the program did not end after WM_CLOSE";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
