# Usage: cmake -DPREFIX=<prefix> -DDRIVER=<e2e_tests.exe> -DPROGRAM=<tallyview.exe>
#              -DDPIS=120,144,192 -P e2e_scaled.cmake
# Runs the end-to-end driver's scaled scenarios once per display scale. Wine
# takes the scale from LogPixels when its server starts, and restarting the
# server ends every process of the prefix, the driver included; so each
# scale gets a fresh server and its own run of the driver, and 96 is put back
# at the end whatever failed. The runs get a virtual screen of their own,
# large enough for the Options dialog at 200 %, whatever display the caller
# has; the driver checks that the window is laid out for the scale asked.
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

# A 1920x1200 Xvfb on the first free display number from 141; one that is
# taken meanwhile (its Xvfb ends at once) passes on to the next.
find_program(XVFB Xvfb REQUIRED)
set(display "")
foreach(n RANGE 141 190)
    if(EXISTS /tmp/.X11-unix/X${n} OR EXISTS /tmp/.X${n}-lock)
        continue()
    endif()
    execute_process(COMMAND sh -c "${XVFB} :${n} -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 & echo $!"
                    OUTPUT_VARIABLE xvfb OUTPUT_STRIP_TRAILING_WHITESPACE)
    foreach(i RANGE 100)
        execute_process(COMMAND kill -0 ${xvfb} RESULT_VARIABLE gone OUTPUT_QUIET ERROR_QUIET)
        if(gone OR EXISTS /tmp/.X11-unix/X${n})
            break()
        endif()
        execute_process(COMMAND sleep 0.1)
    endforeach()
    execute_process(COMMAND sleep 0.2)
    execute_process(COMMAND kill -0 ${xvfb} RESULT_VARIABLE gone OUTPUT_QUIET ERROR_QUIET)
    if(NOT gone AND EXISTS /tmp/.X11-unix/X${n})
        set(display ${n})
        break()
    endif()
endforeach()
if(NOT display)
    message(FATAL_ERROR "could not start Xvfb")
endif()
set(ENV{DISPLAY} :${display})

set(failed "")
foreach(dpi IN LISTS DPIS)
    set_dpi(${dpi})
    execute_process(COMMAND wine ${DRIVER} --program=${PROGRAM} --dpi=${dpi} --gtest_filter=*Scaled*
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    message("${dpi} dpi:\n${output}")
    if(NOT result EQUAL 0)
        list(APPEND failed ${dpi})
    endif()
endforeach()
set_dpi(96)
execute_process(COMMAND kill ${xvfb})
if(failed)
    message(FATAL_ERROR "scaled runs failed at ${failed} dpi")
endif()
