# Run by CPack after it wrote the package (CPACK_POST_BUILD_SCRIPTS): writes
# each zip again with fixed entry times, order and attributes.
if(NOT CPACK_TALLYVIEW_PYTHON)
    message(FATAL_ERROR "Python 3 is needed to write the package with fixed times")
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.zip$")
        continue()
    endif()
    execute_process(
        COMMAND ${CPACK_TALLYVIEW_PYTHON} ${CPACK_TALLYVIEW_ZIP_SCRIPT}
                ${package} ${CPACK_TALLYVIEW_SOURCE_DATE_EPOCH}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "could not make ${package} reproducible")
    endif()
endforeach()
