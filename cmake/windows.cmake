# The Windows program, its Win32 glue and the Wine test tier.


# Every DLL a silent start does not need is delay-loaded: the window manager,
# graphics, the shell and its path functions, the common controls and COM. A
# silent start at logon ends before it needs any of them, and loading them
# costs more than the rest of such a start's own work; it loads only KERNEL32,
# ADVAPI32, SETUPAPI and the C runtime. The import libraries are made from
# cmake/delayload/*.def, which name the functions the program calls; a
# function missing there would come back as a load-time import through the
# compiler's default libraries, which the import check refuses. The loader
# searches the system folder only (RestrictDllSearch in WinMain).
find_program(TALLYVIEW_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
set(TALLYVIEW_DELAYED_LIBS)
foreach(dll user32 gdi32 shell32 shlwapi comctl32 ole32)
    set(def ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
        COMMAND ${TALLYVIEW_DLLTOOL} --input-def ${def} --output-delaylib ${lib}
        DEPENDS ${def} VERBATIM)
    add_custom_target(${dll}_delay_lib DEPENDS ${lib})
    add_library(${dll}_delayed STATIC IMPORTED)
    set_target_properties(${dll}_delayed PROPERTIES IMPORTED_LOCATION ${lib})
    add_dependencies(${dll}_delayed ${dll}_delay_lib)
    list(APPEND TALLYVIEW_DELAYED_LIBS ${dll}_delayed)
endforeach()

set(TALLYVIEW_WIN_LIBS ${TALLYVIEW_DELAYED_LIBS} uuid setupapi advapi32 kernel32)

# Win32 glue: everything but WinMain, so the Wine tests can drive it.
add_library(tallyview_win STATIC
    src/app/app_state_win.cpp
    src/app/application_win.cpp
    src/app/terms_win.cpp
    src/common/place_window_win.cpp
    src/common/window_dpi_win.cpp
    src/common/start_com_win.cpp
    src/links/links_dialog_win.cpp
    src/links/shell_folders_win.cpp
    src/links/shell_links_win.cpp
    src/snapshot/sweep_win.cpp
    src/window/information_window_win.cpp
    src/window/render_win.cpp
    src/store/snapshot_store_win.cpp
    src/store/history_win.cpp
    src/options/referrer_page_win.cpp
    src/options/options_dialog_win.cpp
    src/options/donate_dialog_win.cpp
)
target_include_directories(tallyview_win PUBLIC src src/resources)
target_compile_definitions(tallyview_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _WIN32_IE=0x0600)
target_compile_options(tallyview_win PRIVATE ${TALLYVIEW_WARNINGS})
target_link_libraries(tallyview_win PUBLIC tallyview_core ${TALLYVIEW_WIN_LIBS})

set(TALLYVIEW_RC ${CMAKE_SOURCE_DIR}/src/resources/tallyview.rc)
set_property(SOURCE ${TALLYVIEW_RC} APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/resources/resource.h
    ${CMAKE_SOURCE_DIR}/src/resources/tallyview.manifest
    ${CMAKE_SOURCE_DIR}/src/resources/program.ico
    ${CMAKE_SOURCE_DIR}/src/resources/row_shade0.ico
    ${CMAKE_SOURCE_DIR}/src/resources/row_shade1.ico
    ${CMAKE_SOURCE_DIR}/src/resources/row_changed0.ico
    ${CMAKE_SOURCE_DIR}/src/resources/row_changed1.ico
    ${CMAKE_SOURCE_DIR}/src/resources/row_missing.ico
    ${CMAKE_SOURCE_DIR}/src/resources/donate.bmp)

# The message table of the program's events, compiled by the message
# compiler (windres does not read .mc files) into the build folder.
find_program(TALLYVIEW_WINDMC NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
set(TALLYVIEW_MESSAGES ${CMAKE_BINARY_DIR}/messages)
add_custom_command(OUTPUT ${TALLYVIEW_MESSAGES}/messages.rc ${TALLYVIEW_MESSAGES}/MSG00409.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TALLYVIEW_MESSAGES}
    COMMAND ${TALLYVIEW_WINDMC} -h ${TALLYVIEW_MESSAGES} -r ${TALLYVIEW_MESSAGES}
            ${CMAKE_SOURCE_DIR}/src/resources/messages.mc
    DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/messages.mc VERBATIM)
set_property(SOURCE ${TALLYVIEW_MESSAGES}/messages.rc APPEND PROPERTY OBJECT_DEPENDS
    ${TALLYVIEW_MESSAGES}/MSG00409.bin)

add_executable(tallyview WIN32 src/app/main_win.cpp ${TALLYVIEW_RC} ${TALLYVIEW_MESSAGES}/messages.rc)
target_include_directories(tallyview PRIVATE ${TALLYVIEW_MESSAGES})
target_compile_options(tallyview PRIVATE ${TALLYVIEW_WARNINGS})
target_link_libraries(tallyview PRIVATE tallyview_win)
# Self-contained: no DLL beyond those Windows ships.
target_link_options(tallyview PRIVATE -static -static-libgcc -static-libstdc++)
# Address space layout randomisation (64-bit) and no code run from data
# pages. Newer binutils set these by default; older ones do not. Terminal
# Server aware: on a Remote Desktop host Windows would otherwise give the
# program a private per-user Windows folder, which holds no Explorer; the
# program reads no per-user INI file or other legacy path that folder serves.
target_link_options(tallyview PRIVATE -Wl,--dynamicbase,--high-entropy-va,--nxcompat,--tsaware)
set_target_properties(tallyview PROPERTIES OUTPUT_NAME tallyview)
# Size and reproducibility flags, the package and its check.
include(${CMAKE_SOURCE_DIR}/cmake/release.cmake)

# GoogleTest from the source Debian installs; threads off, as the tests are
# single-threaded and Wine runs them in one process.
set(TALLYVIEW_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source for the Wine tests")
if(EXISTS ${TALLYVIEW_GTEST_SOURCE}/CMakeLists.txt)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TALLYVIEW_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Every Wine test program runs in one prefix inside the build folder.
    set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(WINE_TEST_ENVIRONMENT
        WINEPREFIX=${WINE_TEST_PREFIX}
        WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml=)

    # Creates the Wine prefix once (and switches off the crash dialog, so that a
    # crash fails a test instead of waiting for a click).
    add_test(NAME wine_prefix
        COMMAND ${CMAKE_COMMAND} -DPREFIX=${WINE_TEST_PREFIX} -P ${CMAKE_SOURCE_DIR}/cmake/wine_prefix.cmake)
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 300
        ENVIRONMENT "${WINE_TEST_ENVIRONMENT}")

    add_subdirectory(tests/wine)
    if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
        add_subdirectory(tests/e2e)
    endif()
else()
    message(STATUS "No GoogleTest source at ${TALLYVIEW_GTEST_SOURCE}: Wine tests not built")
endif()
