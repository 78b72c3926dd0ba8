#pragma once

#include <string>

// Path of the built tallyview.exe, given on the command line as
// --program=<path> (a Unix path becomes a Z:\ path).
const std::string& TestedProgramPath();
