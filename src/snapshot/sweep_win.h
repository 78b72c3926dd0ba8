#pragma once

#include "snapshot/sweep.h"

// Queries the platform for every figure of one sweep.
void GatherSweepFigures(SweepFigures& figures);

// Rebuilds the report of the state record; true when the whole report was
// rebuilt.
bool GetInformation();
