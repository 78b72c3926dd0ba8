#pragma once

// Initialises COM on this thread once; ShutdownApplication balances it.
// Only what makes shortcuts or shows the window needs it, so a silent start
// never does.
void StartCom();
