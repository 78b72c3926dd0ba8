# Usage: cmake -DPREFIX=<folder> -P wine_prefix.cmake
# Creates a Wine prefix for the tests once; later runs reuse it.
if(NOT PREFIX)
    message(FATAL_ERROR "PREFIX not set")
endif()
if(EXISTS ${PREFIX}/system.reg AND EXISTS ${PREFIX}/.tallyview-ready)
    return()
endif()
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
execute_process(COMMAND wineboot -i RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "wineboot -i failed: ${result}")
endif()
execute_process(COMMAND wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog
                        /t REG_DWORD /d 0 /f
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not switch off the crash dialog: ${result}")
endif()
execute_process(COMMAND wineserver -w)
file(WRITE ${PREFIX}/.tallyview-ready "")
