// Entry point of the Wine test programs: GoogleTest's own flags first, then
// "--program=<path of tallyview.exe>" for the tests that start the program.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tested_program.h"

static std::string programPath;

const std::string& TestedProgramPath()
{
    return programPath;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "--program=", 10) != 0)
            continue;
        programPath = argv[i] + 10;
        // ctest passes a Unix path; Wine sees the Unix root as drive Z:.
        if (!programPath.empty() && programPath[0] == '/') {
            for (char& c : programPath)
                if (c == '/')
                    c = '\\';
            programPath = "Z:" + programPath;
        }
    }
    return RUN_ALL_TESTS();
}
