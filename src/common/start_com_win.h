#pragma once

#include <cstdint>

// Initialises COM on this thread once, noting it in `comInitialized` (the
// state record's flag; ShutdownApplication balances it). Only what makes
// shortcuts or shows the window needs it, so a silent start never does.
void StartCom(uint8_t& comInitialized);
