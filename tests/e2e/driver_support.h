#pragma once

// What the end-to-end tests share: the program's fixed names, files of the
// driver's own, windows of the program's process, and the fixture that runs
// the program in fresh folders and puts the registry back afterwards.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

extern const char kCaption[];
extern const char kMutexName[];
extern const char kTermsFileName[];
extern const char kTermsText[];
extern const char kDataFolderName[];
extern const char kShellFoldersKey[];
extern const char kUserShellFoldersKey[];
extern const int kReportListId;

// Hang guards only: a start under Wine takes a second or two.
extern const DWORD kShowTimeoutMs;
extern const DWORD kEndTimeoutMs;
extern const DWORD kPollMs;
extern const DWORD kNotEnded;

bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
void DeleteTree(const std::string& folder);
std::string ThisComputerName();

// Bytes with the unprintable ones escaped, cut short, for failure messages.
std::string Printable(const std::string& bytes);

std::string WindowText(HWND window);

// The shown top-level window of the process with exactly this caption for
// which `accept` holds (any, when it is null), or NULL.
HWND FindProgramWindow(DWORD processId, const char* caption, bool (*accept)(HWND));

// True for the information window, which shares its caption with the
// program's message boxes.
bool HasReportList(HWND window);

class ProgramRun : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string DataFolder() const;
    std::string SnapshotPath() const;

    // Sets a value under HKEY_CURRENT_USER until TearDown puts back the old one.
    void ChangeUserValue(const char* keyPath, const char* name, DWORD type,
                         const std::string& value);

    // Starts the program in the work folder, by default with the disclaimer
    // already accepted there. Its environment points TEMP and TMP at a fresh
    // folder.
    void StartProgram(bool termsAccepted = true);

    // The first matching window of the program, once it is done
    // initialising, or NULL when none showed before the process ended or the
    // time ran out.
    HWND WaitForWindow(const char* caption, bool (*accept)(HWND));
    HWND WaitForShownWindow();
    bool WaitUntilGone(HWND window);

    // The exit code, or kNotEnded (then the process is ended here).
    DWORD WaitForEnd();
    std::string EndState();
    void EndProgram();
    void CloseAndExpectExitCodeOne(HWND window);

    std::string computerName;
    std::string rootFolder;
    std::string workFolder;
    std::string appDataFolder;
    std::string tempFolder;
    PROCESS_INFORMATION process;

private:
    struct SavedValue {
        std::string keyPath;
        std::string name;
        bool createdKey;
        bool hadValue;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    void RestoreUserValues();

    std::vector<SavedValue> savedValues;
};

// A message box's text control: static 0xFFFF on Windows, 100 under Wine;
// null when the window is no message box.
HWND MessageBoxTextControl(HWND box);
bool IsMessageBox(HWND window);
