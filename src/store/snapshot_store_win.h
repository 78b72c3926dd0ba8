#pragma once

#include <windows.h>

#include <cstddef>

#include "common/item_list.h"

// Reads the user's application-data folder into the state record.
void ReadAppDataFolder();

// Loads this computer's saved snapshot, sweeps and compares: true when the
// configuration changed or nothing usable is stored, false when unchanged
// (or the sweep failed).
bool LoadAndCompareSnapshot();

// Sweeps afresh and writes this computer's snapshot; a save that changed the
// configuration on record is put on record (RecordSavedConfiguration).
void SaveSnapshot();

// A text's lines that are not UTF-8 read in `codePage` and held as UTF-8, in
// `out` with its NUL, within the loaded text's limit. False without memory.
bool ConvertToUtf8Lines(const char* text, UINT codePage, ItemList<char>& out);

// The two file steps of a save: write the whole temporary file (flushed),
// then put it in place of the snapshot. The program keeps the defaults;
// tests replace them to make one step fail.
struct SnapshotSaveSteps {
    bool (*writeNewFile)(const char* path, const char* bytes, size_t size);
    bool (*replaceSnapshot)(const char* newPath, const char* filePath);
};
extern SnapshotSaveSteps snapshotSaveSteps;

// The real steps, for a test step that wraps them.
bool WriteWholeFile(const char* path, const char* bytes, size_t size);
bool ReplaceSnapshot(const char* newPath, const char* filePath);
