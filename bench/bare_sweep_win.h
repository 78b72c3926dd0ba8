#pragma once

// The platform queries of one sweep, made bare: the same calls in the same
// order as the program's sweep, with nothing built from their answers. Shared
// by the sweep benchmark (against GetInformation, in one process) and the
// floor of the start benchmark (in a fresh process, as a logon pays them).

enum BareStep {
    kStepIdentity,
    kStepClock,
    kStepProcessors,
    kStepMemory,
    kStepProcesses,
    kStepDisplay,
    kStepMedia,
    kStepNetwork,
    kStepUsb,
    kStepDrives,
    kBareStepCount
};

extern const char* const kBareStepNames[kBareStepCount];

void RunBareStep(int step);

// Every step in order.
void RunBareSweep();

// Reads a file whole and throws the bytes away: the snapshot load's share of
// a start, without the program's parsing. False when it cannot be opened.
bool ReadWholeFileBare(const char* path);
