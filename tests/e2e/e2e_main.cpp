// Entry point of the black-box driver: GoogleTest's own flags first, then
// "--program=<path of tallyview.exe>".

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "e2e_support.h"

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
