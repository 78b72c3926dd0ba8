# Usage: cmake -DDRIVER=<e2e_tests.exe> -DPROGRAM=<tallyview.exe> -DERRORS=<file> -P e2e_run.cmake
# Runs the end-to-end driver with the standard error of every process it
# starts in <file>: Wine writes the programs' events there (the driver sets
# the debug channels for them), and the driver reads them back.
foreach(name DRIVER PROGRAM ERRORS)
    if(NOT ${name})
        message(FATAL_ERROR "${name} not set")
    endif()
endforeach()
file(REMOVE ${ERRORS})
execute_process(COMMAND wine ${DRIVER} --program=${PROGRAM} --errors=${ERRORS}
                ERROR_FILE ${ERRORS} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the end-to-end scenarios failed (their programs' standard error: ${ERRORS})")
endif()
