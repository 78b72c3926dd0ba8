#include "store/snapshot_store_win.h"

// The per-computer snapshot file is not built yet: nothing is stored, so
// every start counts as a changed configuration and nothing is saved.

void ReadAppDataFolder()
{
}

bool LoadAndCompareSnapshot()
{
    ReadAppDataFolder();
    return true;
}

void SaveSnapshot()
{
}
