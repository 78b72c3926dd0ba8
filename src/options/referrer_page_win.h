#pragma once

// Opens a web address through a small local page in the temporary folder
// ("TEMP", else "TMP"), overwritten at every call; when the page cannot be
// written, opens the address itself.
void OpenReferrerPage(const char* address);
