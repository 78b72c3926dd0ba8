#include "store/snapshot_file.h"

#include <cstdio>
#include <cstring>

#include "common/join_path.h"

static const size_t kReadLimit = kStoredTextCapacity - 1;
static const char kDataFolderName[] = "[hollowpinestudio]TallyviewData";

bool EncodeSnapshot(const char* recordText, ItemList<char>& bytes)
{
    bytes.count = 0;
    const char* text = recordText != nullptr ? recordText : "";
    size_t size = 1;
    for (const char* c = text; *c != '\0'; ++c)
        size += *c == '\n' ? 2 : 1;
    if (!ReserveItems(bytes, size))
        return false;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n')
            bytes.items[bytes.count++] = '\r';
        bytes.items[bytes.count++] = *c;
    }
    bytes.items[bytes.count++] = '\0';
    return true;
}

void BeginSnapshotLoad(char* storedText, SnapshotLoad& load)
{
    memset(&load, 0, sizeof(load));
    load.storedText = storedText;
    storedText[0] = '\0';
}

// One character as the stream delivers it to the current read.
static void DeliverCharacter(char c, SnapshotLoad& load)
{
    if (c == '\0')
        load.readMetNul = true;
    if (!load.readMetNul && load.textLength < kReadLimit) {
        load.storedText[load.textLength++] = c;
        load.storedText[load.textLength] = '\0';
    }
    ++load.readLength;
    if (c == '\n' || load.readLength == kReadLimit) {
        ++load.lineCount;
        load.readLength = 0;
        load.readMetNul = false;
        if (load.textLength >= kReadLimit)
            load.finished = true;
    }
}

void FeedSnapshotBytes(const char* bytes, size_t size, SnapshotLoad& load)
{
    for (size_t i = 0; i < size && !load.finished; ++i) {
        char c = bytes[i];
        if (load.pendingCarriageReturn) {
            load.pendingCarriageReturn = false;
            if (c == '\n') {
                DeliverCharacter('\n', load);
                continue;
            }
            DeliverCharacter('\r', load);
            if (load.finished)
                break;
        }
        if (c == '\r')
            load.pendingCarriageReturn = true;
        else
            DeliverCharacter(c, load);
    }
}

void EndSnapshotLoad(SnapshotLoad& load)
{
    if (load.finished)
        return;
    if (load.pendingCarriageReturn) {
        load.pendingCarriageReturn = false;
        DeliverCharacter('\r', load);
    }
    // A read cut short by the end of the file still counts.
    if (!load.finished && load.readLength > 0)
        ++load.lineCount;
    load.finished = true;
}

bool SnapshotTextsEqual(const char* recordText, const char* storedText)
{
    return strcmp(recordText != nullptr ? recordText : "",
                  storedText != nullptr ? storedText : "") == 0;
}

bool ComposeTemporaryPath(const char* filePath, char* out, size_t outSize)
{
    return ComposeSiblingPath(filePath, "new", out, outSize);
}

bool ComposeSiblingPath(const char* filePath, const char* extension, char* out, size_t outSize)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    size_t length = strlen(filePath);
    if (length < 4 || length >= outSize || strcmp(filePath + length - 4, ".txt") != 0 ||
        strlen(extension) != 3)
        return false;
    memcpy(out, filePath, length - 3);
    memcpy(out + length - 3, extension, 4);
    return true;
}

bool ComposeSnapshotPaths(const char* appDataPath, const char* computerName, char* folderPath,
                          char* filePath, size_t pathSize)
{
    if (pathSize == 0)
        return false;
    filePath[0] = '\0';
    if (!JoinPath(appDataPath, strlen(appDataPath), kDataFolderName, folderPath, pathSize))
        return false;
    char fileName[300];
    int written = snprintf(fileName, sizeof(fileName), "%s.txt", computerName);
    if (written < 0 || (size_t)written >= sizeof(fileName))
        return false;
    return JoinPath(folderPath, strlen(folderPath), fileName, filePath, pathSize);
}

uint32_t ReplaceRetryWait(uint32_t attempt)
{
    static const uint32_t kWaits[] = {50, 100, 200, 400, 800, 1450};
    return attempt < sizeof(kWaits) / sizeof(kWaits[0]) ? kWaits[attempt] : 0;
}
