#pragma once

// Removes spaces, tabs and line feeds from the end, then from the start of a
// NUL-terminated text, in place. Carriage returns and inner characters stay.
void TrimWhitespace(char* text);
