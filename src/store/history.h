#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

#include "common/item_list.h"

// The history beside each snapshot, "<computer name>.log": one entry for each
// save that changed the configuration on record, the oldest dropped whole to
// keep the file within 64 KiB. UTF-8 with a byte-order mark, CR LF line ends.
// An entry is a header line ("<date> <time> <offset>  <user>  changed" or
// "first"), a "+ " line for each saved line the record lacked, a "- " line for
// each line of the record the save no longer has, and one empty line.

const size_t kHistoryFileLimit = 65536;

enum HistoryKind { HistoryNothing, HistoryFirst, HistoryChanged };

// Minutes from UTC of a local time, from the same moment as both.
int32_t UtcOffsetMinutes(const struct tm& local, const struct tm& utc);

// "2026-12-07 09:14:05 +01:00". False, with an empty `out`, when it does not
// fit.
bool FormatHistoryStamp(const struct tm& local, int32_t offsetMinutes, char* out, size_t outSize);

// The entry for a save of `saved` (lines by line feeds) over the record: the
// first `recordLineCount` lines of `record`, as the window lists them. Lines
// are compared trimmed, byte for byte, each record line taken at most once,
// so that order alone changes nothing; an empty record makes a first entry.
// Lines are written trimmed, as UTF-8 (a byte that is not becomes U+FFFD), cut
// to 512 bytes at a character boundary; past 100 of a kind one line says how
// many more there were. `entry` is left empty for HistoryNothing. False when
// there was no memory for it.
bool ComposeHistoryEntry(const char* record, uint32_t recordLineCount, const char* saved,
                         const char* stamp, const char* user, HistoryKind& kind,
                         ItemList<char>& entry);

// The history file's new bytes in `bytes`: the byte-order mark, the entries of
// `existing` that fit (oldest dropped whole, an entry ending at its empty
// line), then `entry`, within kHistoryFileLimit. False, with nothing to
// write, when `existing` is not the program's (neither empty nor starting
// with the mark), when the entry alone would not fit or without memory.
bool UpdateHistoryFile(const char* existing, size_t existingSize, const char* entry,
                       size_t entrySize, ItemList<char>& bytes);
