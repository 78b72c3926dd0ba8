#pragma once

#include <string>

// Path of the built tallyview.exe, given on the command line.
const std::string& TestedProgramPath();
