#pragma once

#include <windows.h>

// True when no other copy of the program runs in this session. The mutex
// stays open for the life of the process so the name stays taken.
bool CheckSingleInstance();

// Creates the font the report texts are measured with; false on failure.
bool CreateMeasureFont();

// The start decision: true when the information window is to be shown.
// Always outside network mode; in network mode when this computer's
// configuration differs from its saved snapshot or none can be loaded, and
// false when it is unchanged or the sweep failed.
bool ConfigurationToShow();

// Past the start decision: loads the common controls, starts COM and
// creates the information window, hidden until its first render shows it.
// Null when the window cannot be created.
HWND CreateInformationWindow();

// Runs the message loop until WM_QUIT has been taken and the queue is empty.
void RunMessageLoop();

// Saves the snapshot when due and releases everything the state record owns.
// Safe to call twice: what is released is cleared and skipped the next time.
void ShutdownApplication();

// Shows an error box with no owner, the program caption and a warning icon.
void ShowStartupError(const char* text);
