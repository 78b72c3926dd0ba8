#pragma once

#include <cstddef>

// Writes the first `folderLength` characters of `folder`, a backslash unless
// they are empty or already end in one (as PathAddBackslashA adds it), then
// `name`. False, with an empty `out`, when the result does not fit in
// `outSize` bytes: a path is never cut into another one. `out` must not
// overlap the inputs.
bool JoinPath(const char* folder, size_t folderLength, const char* name, char* out,
              size_t outSize);
