#pragma once

#include "snapshot/sweep.h"

// Queries the platform for every figure of one sweep. False when there was
// no memory to hold them; FreeSweepFigures gives them back either way.
bool GatherSweepFigures(SweepFigures& figures);

// Rebuilds the report of the state record; true when the whole report was
// rebuilt.
bool GetInformation();
