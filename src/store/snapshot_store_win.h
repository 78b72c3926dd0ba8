#pragma once

// Reads the user's application-data folder into the state record.
void ReadAppDataFolder();

// Loads this computer's saved snapshot, sweeps and compares: true when the
// configuration changed or nothing usable is stored, false when unchanged
// (or the sweep failed).
bool LoadAndCompareSnapshot();

// Sweeps afresh and writes this computer's snapshot.
void SaveSnapshot();
