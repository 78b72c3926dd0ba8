# Usage: cmake -DSOURCE=<repository> -DWORK=<folder> -DTOOLCHAIN=<file>
#              -DGENERATOR=<generator> -DVERSION=<x.y.z.w> [-DREFERENCE=<build folder>]
#              -P release_check.cmake
# Builds the package from scratch in a folder of its own and fails unless
# tallyview.exe and the zip come out byte for byte the same as in the
# reference build (the windows preset's folder, whose package is brought up
# to date here), or, without one, as in a second build from scratch.

foreach(variable SOURCE WORK TOOLCHAIN GENERATOR VERSION)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} not set")
    endif()
endforeach()

set(zip_name Tallyview-${VERSION}-win64.zip)
# Different lengths, so that a build path that leaks into the output shows.
if(REFERENCE)
    set(builds ${REFERENCE} ${WORK}/second-build)
else()
    set(builds ${WORK}/first ${WORK}/second-build)
endif()
cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)

foreach(build IN LISTS builds)
    if(NOT build STREQUAL REFERENCE)
        file(REMOVE_RECURSE ${build})
        # No Wine tests: the package needs only the program.
        execute_process(
            COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${build} -G ${GENERATOR}
                    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release
                    -DTALLYVIEW_GTEST_SOURCE=${build}/no-googletest
            RESULT_VARIABLE result OUTPUT_QUIET)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "configuring ${build} failed")
        endif()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target package --parallel ${jobs}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "building the package in ${build} failed:\n${output}")
    endif()
    foreach(file tallyview.exe ${zip_name})
        if(NOT EXISTS ${build}/${file})
            message(FATAL_ERROR "${build} has no ${file}")
        endif()
    endforeach()
endforeach()

list(GET builds 0 first)
list(GET builds 1 second)
set(failed "")
foreach(file tallyview.exe ${zip_name})
    file(SHA256 ${first}/${file} first_hash)
    file(SHA256 ${second}/${file} second_hash)
    file(SIZE ${first}/${file} size)
    if(first_hash STREQUAL second_hash)
        message(STATUS "${file}: ${size} bytes, SHA-256 ${first_hash} in both builds")
    else()
        execute_process(COMMAND cmp ${first}/${file} ${second}/${file}
                        OUTPUT_VARIABLE difference ERROR_QUIET)
        list(APPEND failed "${file} differs between the builds: ${difference}")
    endif()
endforeach()

# The package holds exactly the program, the read-me and the licence.
set(listing ${WORK}/listing)
file(REMOVE_RECURSE ${listing})
file(MAKE_DIRECTORY ${listing})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${first}/${zip_name}
                WORKING_DIRECTORY ${listing} RESULT_VARIABLE result)
file(GLOB_RECURSE packed RELATIVE ${listing} ${listing}/*)
list(SORT packed)
if(NOT result EQUAL 0 OR NOT packed STREQUAL "LICENSE;README.md;tallyview.exe")
    list(APPEND failed "the zip holds '${packed}' instead of LICENSE, README.md, tallyview.exe")
else()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${listing}/tallyview.exe
                            ${first}/tallyview.exe RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        list(APPEND failed "the zip's tallyview.exe is not the one built")
    endif()
endif()

if(failed)
    string(REPLACE ";" "\n" failed "${failed}")
    message(FATAL_ERROR "${failed}")
endif()
