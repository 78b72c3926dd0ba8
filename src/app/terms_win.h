#pragma once

// True when the disclaimer of this version has been accepted (now or on an
// earlier run); false ends the program.
bool AcceptTermsOnFirstRun();
