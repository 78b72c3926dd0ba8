#pragma once

#include <windows.h>

// True when no other copy of the program runs in this session. The mutex
// stays open for the life of the process so the name stays taken.
bool CheckSingleInstance();

// Loads the five row icons in their fixed order, builds the image list from
// them (indexes 0 to 4) and releases the loaded icons again.
void LoadRowIcons();

// Creates the font the report texts are measured with; false on failure.
bool CreateMeasureFont();

// Runs the message loop until WM_QUIT has been taken and the queue is empty.
void RunMessageLoop();

// Saves the snapshot when due and releases everything the state record owns.
// Safe to call twice: what is released is cleared and skipped the next time.
void ShutdownApplication();

// Shows an error box with no owner, the program caption and a warning icon.
void ShowStartupError(const char* text);
