#pragma once

#include <cstddef>
#include <cstdint>

#include "common/item_list.h"

// The per-computer snapshot file: the record lines joined by CR LF, no line
// break after the last line, then one NUL byte.

// Capacity of the loaded text with its terminator; at most 127999 characters
// are kept.
const size_t kStoredTextCapacity = 128000;

// The exact bytes of the file for a record text (lines separated by line
// feeds), in place of what `bytes` held. An empty or absent text gives the
// single NUL byte. False when there was no memory for them.
bool EncodeSnapshot(const char* recordText, ItemList<char>& bytes);

// Reading state. The file is read as a text-mode stream reads it line by
// line: CR LF arrives as one line feed, each read takes up to and including
// the next line feed and at most 127999 characters, and the characters of a
// read up to its first NUL are appended to the text.
struct SnapshotLoad {
    char* storedText;       // caller's buffer of kStoredTextCapacity bytes
    size_t textLength;
    uint32_t lineCount;     // reads that delivered at least one character
    size_t readLength;      // characters delivered to the current read
    bool readMetNul;        // the rest of the current read is dropped
    bool pendingCarriageReturn;
    bool finished;          // the text is full or the end was reached
};

void BeginSnapshotLoad(char* storedText, SnapshotLoad& load);

// Feeds the next bytes of the file; stops taking them once `finished` is set.
void FeedSnapshotBytes(const char* bytes, size_t size, SnapshotLoad& load);

// The end of the file.
void EndSnapshotLoad(SnapshotLoad& load);

// Whole-text comparison: equal only when both have the same length and the
// same bytes (an absent text counts as empty). No trimming, no reordering.
bool SnapshotTextsEqual(const char* recordText, const char* storedText);

// The temporary file a save writes before it replaces the snapshot: the
// snapshot's path with ".new" in place of ".txt", so that it is no longer
// than the snapshot's own and every snapshot that can be loaded can also be
// saved. False, with an empty `out`, for a path that does not end in ".txt"
// or does not fit.
bool ComposeTemporaryPath(const char* filePath, char* out, size_t outSize);

// The snapshot's path with another three-letter extension in place of "txt"
// ("log" for the history, "tmp" for its temporary file): no longer than the
// snapshot's own. False, with an empty `out`, as for ComposeTemporaryPath.
bool ComposeSiblingPath(const char* filePath, const char* extension, char* out, size_t outSize);

// How long to wait, in milliseconds, before trying a refused replace again
// after try number `attempt` (from 0); 0 when it is time to give up. The
// waits grow and come to three seconds in all: an antivirus scanner or a
// file server's lock may hold a new file that long.
uint32_t ReplaceRetryWait(uint32_t attempt);

// Path of the data folder and of the snapshot file from the application-data
// folder and the computer name, each with a backslash added only where one
// is missing. False when either path would not fit in `pathSize` bytes.
bool ComposeSnapshotPaths(const char* appDataPath, const char* computerName, char* folderPath,
                          char* filePath, size_t pathSize);
