#include "app/terms_win.h"

// The disclaimer and its marker file are not built yet: every start counts
// as accepted.
bool AcceptTermsOnFirstRun()
{
    return true;
}
