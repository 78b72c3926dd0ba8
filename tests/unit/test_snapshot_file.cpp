#include "store/snapshot_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Visible(const std::string& bytes)
{
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n";
        else if (c == '\0') shown += "\\0";
        else shown += (char)c;
    }
    return shown;
}

struct Loaded {
    std::string text;
    uint32_t lineCount;
};

// Loads `bytes` fed in chunks of `chunk` bytes, as the glue reads a file.
Loaded Load(const std::string& bytes, size_t chunk = 4096)
{
    static std::vector<char> storedText(kStoredTextCapacity, 'Z');
    SnapshotLoad load;
    BeginSnapshotLoad(storedText.data(), load);
    for (size_t at = 0; at < bytes.size() && !load.finished; at += chunk)
        FeedSnapshotBytes(bytes.data() + at, std::min(chunk, bytes.size() - at), load);
    EndSnapshotLoad(load);
    EXPECT_EQ(strlen(storedText.data()), load.textLength);
    return Loaded{std::string(storedText.data()), load.lineCount};
}

TEST(SnapshotFile, ThreeLinesAreJoinedByCrLfAndEndWithOneNul)
{
    std::string bytes;
    EncodeSnapshot("ab\ncd\nef", bytes);
    EXPECT_EQ(bytes, std::string("ab\r\ncd\r\nef\0", 11)) << Visible(bytes);

    Loaded loaded = Load(bytes);
    EXPECT_EQ(loaded.text, "ab\ncd\nef");
    EXPECT_EQ(loaded.lineCount, 3u);
}

TEST(SnapshotFile, EmptyRecordTextIsTheSingleNulByte)
{
    std::string bytes;
    EncodeSnapshot("", bytes);
    EXPECT_EQ(bytes, std::string(1, '\0'));
    EncodeSnapshot(nullptr, bytes);
    EXPECT_EQ(bytes, std::string(1, '\0'));
}

TEST(SnapshotFile, LoadingFollowsTextModeLineReads)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
        uint32_t lineCount;
    };
    const Case cases[] = {
        {"single NUL", std::string(1, '\0'), "", 1},
        {"empty file", "", "", 0},
        {"last line ends in CR LF", "ab\r\ncd\r\n", "ab\ncd\n", 2},
        {"no final NUL", "ab\r\ncd", "ab\ncd", 2},
        {"CR alone stays", "a\rb\r", "a\rb\r", 1},
        {"LF only", "a\nb\n", "a\nb\n", 2},
        {"NUL mid-line drops the rest of that read", std::string("a\0b\r\nc", 6), "ac", 2},
        {"empty lines count", "\r\n\r\nx", "\n\nx", 3},
        {"CR before CR LF", "a\r\r\nb", "a\r\nb", 2},
    };
    for (const Case& c : cases) {
        for (size_t chunk : {size_t(1), size_t(2), size_t(4096)}) {
            Loaded loaded = Load(c.bytes, chunk);
            EXPECT_EQ(Visible(loaded.text), Visible(c.text)) << c.name << ", chunk " << chunk;
            EXPECT_EQ(loaded.lineCount, c.lineCount) << c.name << ", chunk " << chunk;
        }
    }
}

TEST(SnapshotFile, TextIsCutAt127999CharactersAndReadingStops)
{
    Loaded oneLongLine = Load(std::string(1000000, 'x'));
    EXPECT_EQ(oneLongLine.text.size(), 127999u);
    EXPECT_EQ(oneLongLine.lineCount, 1u);

    // The line feed that fills the text is the last character kept.
    std::string bytes = std::string(127998, 'y') + "\r\nmore\r\nlines";
    Loaded filled = Load(bytes, 1000);
    EXPECT_EQ(filled.text, std::string(127998, 'y') + "\n");
    EXPECT_EQ(filled.lineCount, 1u);
}

TEST(SnapshotFile, LinesOfNulsCountWithoutAddingText)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += std::string("\0\r\n", 3);
    Loaded loaded = Load(bytes);
    EXPECT_EQ(loaded.text, "");
    EXPECT_EQ(loaded.lineCount, 1000u);
}

TEST(SnapshotFile, SavedTextReadsBackUnchanged)
{
    for (const char* text : {"PC7", "PC7\nCPU A [@~2993MHz]\nCPU A [@~2993MHz]", "x\n\ny", " a \t"}) {
        std::string bytes;
        EncodeSnapshot(text, bytes);
        Loaded loaded = Load(bytes);
        EXPECT_EQ(loaded.text, text);
        EXPECT_TRUE(SnapshotTextsEqual(text, loaded.text.c_str()));
    }
}

TEST(SnapshotFile, ComparisonIsByteForByteOverTheWholeText)
{
    EXPECT_TRUE(SnapshotTextsEqual("", ""));
    EXPECT_TRUE(SnapshotTextsEqual(nullptr, ""));
    EXPECT_TRUE(SnapshotTextsEqual("PC7\nCPU", "PC7\nCPU"));
    EXPECT_FALSE(SnapshotTextsEqual("PC7\nCPU", "CPU\nPC7")) << "another order is a change";
    EXPECT_FALSE(SnapshotTextsEqual("PC7\nCPU", "PC7\nCPU\n"));
    EXPECT_FALSE(SnapshotTextsEqual("PC7", "pc7"));
    EXPECT_FALSE(SnapshotTextsEqual("PC7 ", "PC7"));
    EXPECT_FALSE(SnapshotTextsEqual("", "PC7"));
}

TEST(SnapshotFile, PathsGetOneBackslashBetweenTheirParts)
{
    char folder[260];
    char file[260];
    ASSERT_TRUE(ComposeSnapshotPaths("C:\\Users\\a\\AppData", "SERVER07", folder, file, 260));
    EXPECT_STREQ(folder, "C:\\Users\\a\\AppData\\[hollowpinestudio]TallyviewData");
    EXPECT_STREQ(file, "C:\\Users\\a\\AppData\\[hollowpinestudio]TallyviewData\\SERVER07.txt");

    ASSERT_TRUE(ComposeSnapshotPaths("D:\\", "", folder, file, 260));
    EXPECT_STREQ(folder, "D:\\[hollowpinestudio]TallyviewData");
    EXPECT_STREQ(file, "D:\\[hollowpinestudio]TallyviewData\\.txt");
}

TEST(SnapshotFile, PathThatDoesNotFitIsRefusedNotCut)
{
    char folder[260];
    char file[260];
    // 259 characters is the most a 260-byte buffer holds.
    const size_t fixed = strlen("\\[hollowpinestudio]TallyviewData\\PC.txt");
    std::string fits(259 - fixed, 'a');
    EXPECT_TRUE(ComposeSnapshotPaths(fits.c_str(), "PC", folder, file, 260));
    EXPECT_EQ(strlen(file), 259u);
    std::string tooLong(260 - fixed, 'a');
    EXPECT_FALSE(ComposeSnapshotPaths(tooLong.c_str(), "PC", folder, file, 260));
    EXPECT_FALSE(ComposeSnapshotPaths(std::string(300, 'a').c_str(), "PC", folder, file, 260));
}

}  // namespace
