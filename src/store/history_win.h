#pragma once

// After a save of this computer's snapshot at `filePath`: when the saved
// configuration differs from the one on record (the snapshot loaded at the
// start, or what this run saved last), an entry in the history beside the
// snapshot and an event in the Application log. Nothing a failure here does
// reaches the save or the user.
void RecordSavedConfiguration(const char* filePath);

// Gives back the record of what this run saved last.
void ForgetSavedConfiguration();
