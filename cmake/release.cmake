# The shipped build of tallyview.exe: small, byte-for-byte reproducible, and
# packed as Tallyview-<version>-win64.zip by the "package" target (CPack).
# Included from cmake/windows.cmake once the program's targets exist.

# Size. Each function gets its own section so that the linker drops the ones
# nothing calls, and the shipped file carries no symbols. -O2 rather than
# -Os: -Os saves about 7 KB of 250 and costs speed in the plain logic.
# No -fdata-sections: with it the PE linker script puts the zero-filled
# state record in .data instead of .bss, which adds its 130 KB to the file.
set(TALLYVIEW_RELEASE_COMPILE_OPTIONS
    $<$<CONFIG:Release>:-O2> $<$<CONFIG:Release>:-ffunction-sections>
    # No build folder in anything the compiler writes.
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
set(TALLYVIEW_RELEASE_LINK_OPTIONS
    $<$<CONFIG:Release>:-s> $<$<CONFIG:Release>:-Wl,--gc-sections>
    # No link time in the PE header.
    -Wl,--no-insert-timestamp)

foreach(target tallyview_core tallyview_win tallyview)
    target_compile_options(${target} PRIVATE ${TALLYVIEW_RELEASE_COMPILE_OPTIONS})
endforeach()
target_link_options(tallyview PRIVATE ${TALLYVIEW_RELEASE_LINK_OPTIONS})

# The date every packed file carries: the caller's SOURCE_DATE_EPOCH, else
# the last commit's, else a fixed one, so that the zip never holds the time
# of the build.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    set(TALLYVIEW_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    set(TALLYVIEW_SOURCE_DATE_EPOCH 1704067200)  # 2024-01-01 00:00:00 UTC
    find_program(TALLYVIEW_GIT git)
    if(TALLYVIEW_GIT AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
        execute_process(COMMAND ${TALLYVIEW_GIT} -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                        OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE result ERROR_QUIET)
        if(result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
            set(TALLYVIEW_SOURCE_DATE_EPOCH ${commit_time})
        endif()
    endif()
endif()

install(TARGETS tallyview RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tallyview)
set(CPACK_PACKAGE_VENDOR HollowpineStudio)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tallyview-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# CPack's zip stores each file's access and change times, which no build can
# fix: the zip is written again with fixed times, order and attributes.
# Only the package needs Python; the program builds without it.
find_program(TALLYVIEW_PYTHON NAMES python3 python)
set(CPACK_TALLYVIEW_PYTHON ${TALLYVIEW_PYTHON})
set(CPACK_TALLYVIEW_ZIP_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/reproducible_zip.py)
set(CPACK_TALLYVIEW_SOURCE_DATE_EPOCH ${TALLYVIEW_SOURCE_DATE_EPOCH})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/reproducible_package.cmake)
include(CPack)

# A build from scratch in another folder must give the same program and zip
# as this one. Run by scripts/test last (ctest --preset release), kept out of
# the windows preset's own run as it builds the program again.
add_test(NAME release_reproducible
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DWORK=${CMAKE_BINARY_DIR}/release-check
            -DREFERENCE=${CMAKE_BINARY_DIR} -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}
            -DGENERATOR=${CMAKE_GENERATOR} -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_SOURCE_DIR}/cmake/release_check.cmake)
set_tests_properties(release_reproducible PROPERTIES LABELS release TIMEOUT 900)
