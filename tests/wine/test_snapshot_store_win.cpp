// The snapshot store against the real registry and file system.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/app_state_win.h"
#include "store/snapshot_file.h"
#include "store/snapshot_store_win.h"
#include "wine_test_support.h"

namespace {

// A heap that refuses everything, to make a sweep fail.
void* RefuseAllocation(size_t, void*) { return NULL; }
void* RefuseResize(void*, size_t, void*) { return NULL; }
void ReleaseBlock(void* block, void*) { free(block); }
const ReportAllocator kRefusingHeap = {RefuseAllocation, RefuseResize, ReleaseBlock, NULL};

class SnapshotStore : public testing::Test {
protected:
    ScopedAppData scoped;
    std::string appData;

    void SetUp() override
    {
        InitializeAppState(GetModuleHandleA(NULL));
        ASSERT_TRUE(UseFreshAppData(scoped, "tallyview-store-test"));
        appData = scoped.folder;
    }

    void TearDown() override
    {
        appState.report.allocator = NULL;
        FreeReport(appState.report);
        free(appState.storedLineMatched);
        appState.storedLineMatched = NULL;
        RestoreAppData(scoped);
    }

    void SetAppData(DWORD type, const std::string& value) { SetAppDataValue(type, value); }
    void DeleteAppData() { DeleteAppDataValue(); }

    std::string DataFolder() const { return appData + "\\[hollowpinestudio]TallyviewData"; }

    std::string SnapshotPath() const
    {
        char name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = sizeof(name);
        GetComputerNameA(name, &size);
        return DataFolder() + "\\" + name + ".txt";
    }

    // A fresh start of the program: the state record as WinMain leaves it.
    void Restart()
    {
        FreeReport(appState.report);
        free(appState.storedLineMatched);
        InitializeAppState(GetModuleHandleA(NULL));
    }

    std::string EncodedRecordText() const
    {
        std::string bytes;
        EncodeSnapshot(appState.report.recordText.text, bytes);
        return bytes;
    }
};

TEST_F(SnapshotStore, FirstStartCreatesTheFolderAndCountsAsChanged)
{
    EXPECT_TRUE(LoadAndCompareSnapshot());
    EXPECT_TRUE(Exists(DataFolder()));
    EXPECT_FALSE(Exists(SnapshotPath()));
    EXPECT_EQ(appState.storedLineCount, 0u);
    EXPECT_EQ(appState.storedLineMatched, (int32_t*)NULL);
    EXPECT_EQ(appState.lastSweepTime, 0u) << "no sweep without a stored snapshot";
    EXPECT_EQ(appState.dataFolderAvailable, 1);
    EXPECT_EQ(appState.appDataPath, appData);
}

TEST_F(SnapshotStore, SaveWritesTheRecordLinesAndTheSecondStartIsUnchanged)
{
    LoadAndCompareSnapshot();
    SaveSnapshot();
    std::string saved = ReadBytes(SnapshotPath());
    EXPECT_EQ(saved, EncodedRecordText());
    EXPECT_EQ(saved.back(), '\0');
    EXPECT_FALSE(Exists(SnapshotPath() + ".new")) << "the temporary file is gone";

    Restart();
    EXPECT_FALSE(LoadAndCompareSnapshot());
    EXPECT_STREQ(appState.storedText, appState.report.recordText.text);
    EXPECT_NE(appState.lastSweepTime, 0u);
    ASSERT_NE(appState.storedLineMatched, (int32_t*)NULL);
    EXPECT_EQ(ReadBytes(SnapshotPath()), saved) << "an unchanged start writes nothing";
}

TEST_F(SnapshotStore, AnyOtherStoredTextIsAChange)
{
    LoadAndCompareSnapshot();
    SaveSnapshot();
    std::string saved = ReadBytes(SnapshotPath());
    std::string text = appState.report.recordText.text;

    // Same lines, one more line, another order.
    for (const std::string& other :
         {saved.substr(0, saved.size() - 1) + "\r\nDISK-C" + '\0',
          std::string("FOREIGN\r\n") + saved}) {
        WriteBytes(SnapshotPath(), other);
        Restart();
        EXPECT_TRUE(LoadAndCompareSnapshot());
        EXPECT_GE(appState.storedLineCount, 2u);
    }
}

TEST_F(SnapshotStore, PathTooLongForItsBufferCountsAsUnavailable)
{
    // Fits the registry buffer, but not with the folder and file names added.
    std::string longFolder = appData + "\\" + std::string(240 - appData.size(), 'p');
    SetAppData(REG_SZ, longFolder);
    EXPECT_TRUE(LoadAndCompareSnapshot());
    EXPECT_EQ(appState.lastSweepTime, 0u);
    EXPECT_EQ(appState.storedLineCount, 0u);
}

TEST_F(SnapshotStore, FailedSweepAtSaveKeepsTheSavedSnapshot)
{
    CreateDirectoryA(DataFolder().c_str(), NULL);
    std::string old = std::string("PC7\r\nCPU-B", 10) + '\0';
    WriteBytes(SnapshotPath(), old);

    appState.report.allocator = &kRefusingHeap;
    SaveSnapshot();
    EXPECT_EQ(ReadBytes(SnapshotPath()), old);
    EXPECT_FALSE(Exists(SnapshotPath() + ".new"));
}

TEST_F(SnapshotStore, SaveReplacesAnOlderSnapshotWhole)
{
    CreateDirectoryA(DataFolder().c_str(), NULL);
    WriteBytes(SnapshotPath(), std::string(100000, 'o'));
    // A temporary file left behind by an interrupted save is simply replaced.
    WriteBytes(SnapshotPath() + ".new", "stale");
    SaveSnapshot();
    EXPECT_EQ(ReadBytes(SnapshotPath()), EncodedRecordText());
    EXPECT_FALSE(Exists(SnapshotPath() + ".new"));
}

}  // namespace
