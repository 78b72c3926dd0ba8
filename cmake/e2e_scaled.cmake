# Usage: cmake -DPREFIX=<prefix> -DDRIVER=<e2e_tests.exe> -DPROGRAM=<tallyview.exe>
#              -DDPIS=120,144,192 -P e2e_scaled.cmake
# Runs the end-to-end driver's scaled scenarios once per display scale. Wine
# takes the scale from LogPixels when its server starts, and restarting the
# server ends every process of the prefix, the driver included; so each
# scale gets a fresh server and its own run of the driver, and 96 is put back
# at the end whatever failed.
foreach(name PREFIX DRIVER PROGRAM DPIS)
    if(NOT ${name})
        message(FATAL_ERROR "${name} not set")
    endif()
endforeach()
set(ENV{WINEPREFIX} ${PREFIX})
string(REPLACE "," ";" DPIS "${DPIS}")

function(set_dpi dpi)
    execute_process(COMMAND wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels
                            /t REG_DWORD /d ${dpi} /f
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND wineserver -k OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND wineserver -w OUTPUT_QUIET ERROR_QUIET)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "could not set LogPixels to ${dpi}")
    endif()
endfunction()

set(failed "")
foreach(dpi IN LISTS DPIS)
    set_dpi(${dpi})
    execute_process(COMMAND wine ${DRIVER} --program=${PROGRAM} --gtest_filter=*Scaled*
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    message("${dpi} dpi:\n${output}")
    if(NOT result EQUAL 0)
        list(APPEND failed ${dpi})
    endif()
endforeach()
set_dpi(96)
if(failed)
    message(FATAL_ERROR "scaled runs failed at ${failed} dpi")
endif()
