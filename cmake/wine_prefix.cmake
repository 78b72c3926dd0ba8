# Usage: cmake -DPREFIX=<folder> -P wine_prefix.cmake
# Creates a Wine prefix for the tests once; later runs reuse it. Labels its
# drive C: each time.
if(NOT PREFIX)
    message(FATAL_ERROR "PREFIX not set")
endif()
set(ENV{WINEPREFIX} ${PREFIX})

# Drive C: is labelled outside ASCII, as many a machine names its volumes in
# its own language, so that a DRIVE row carries such a name in every test.
# Wine reads the label from this file, in the locale's charset, when its
# server starts: a new label restarts the server.
function(label_drive_c)
    set(label ${PREFIX}/drive_c/.windows-label)
    set(wanted "Données")
    if(EXISTS ${label})
        file(READ ${label} found)
        if(found STREQUAL wanted)
            return()
        endif()
    endif()
    file(WRITE ${label} "${wanted}")
    execute_process(COMMAND wineserver -k OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND wineserver -w OUTPUT_QUIET ERROR_QUIET)
endfunction()

# Bump the marker name when the settings below change, so old prefixes are
# brought up to date.
set(READY ${PREFIX}/.tallyview-ready-2)
if(EXISTS ${PREFIX}/system.reg AND EXISTS ${READY})
    label_drive_c()
    return()
endif()
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
# Unmanaged windows: without a window manager, hiding a managed window makes
# Wine wait about two seconds for the X server every time.
execute_process(COMMAND wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed
                        /t REG_SZ /d N /f
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not switch off managed windows: ${result}")
endif()
execute_process(COMMAND wineserver -w)
label_drive_c()
file(WRITE ${READY} "")
