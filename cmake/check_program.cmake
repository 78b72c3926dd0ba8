# Usage: cmake -DOBJDUMP=<objdump> -DWINDRES=<windres> -DPROGRAM=<exe> -P check_program.cmake
# Fails unless the built program carries its hardening bits and is Terminal
# Server aware, asks for no elevation, carries every icon at every size from
# 100 to 300 % display scaling, keeps the classic common controls, names the
# Windows versions it supports, takes UTF-8 as its ANSI code page and is
# per-monitor DPI aware, and carries the message table of its events.

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${PROGRAM}")
endif()
if(NOT dump MATCHES "DllCharacteristics[ \t]+([0-9a-fA-F]+)")
    message(FATAL_ERROR "no DllCharacteristics in the header of ${PROGRAM}")
endif()
math(EXPR characteristics "0x${CMAKE_MATCH_1}")
# HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE
foreach(bit 0x20 0x40 0x100 0x8000)
    math(EXPR masked "${characteristics} & ${bit}")
    if(masked EQUAL 0)
        math(EXPR shown "${characteristics}" OUTPUT_FORMAT HEXADECIMAL)
        message(FATAL_ERROR "DllCharacteristics ${shown} lacks ${bit}")
    endif()
endforeach()

execute_process(COMMAND ${WINDRES} -i ${PROGRAM} -O rc
                OUTPUT_VARIABLE resources RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "windres could not read the resources of ${PROGRAM}: ${errors}")
endif()

# windres writes the manifest as quoted lines, doubling each quote.
if(NOT resources MATCHES "1 24 /\\* RT_MANIFEST \\*/\nBEGIN\n(.*)")
    message(FATAL_ERROR "no manifest resource")
endif()
string(FIND "${CMAKE_MATCH_1}" "\nEND" manifest_end)
string(SUBSTRING "${CMAKE_MATCH_1}" 0 ${manifest_end} manifest)
if(NOT manifest MATCHES "<requestedExecutionLevel level=\"\"asInvoker\"\"")
    message(FATAL_ERROR "the manifest does not ask for level=\"asInvoker\":\n${manifest}")
endif()
if(manifest MATCHES "<dependency")
    message(FATAL_ERROR "the manifest names a dependency; the classic common controls are wanted")
endif()
if(NOT manifest MATCHES "<activeCodePage[^>]*>UTF-8</activeCodePage>")
    message(FATAL_ERROR "the manifest does not make UTF-8 the ANSI code page:\n${manifest}")
endif()
# Per-monitor awareness, version 2 first, then the older per-monitor and
# system-wide forms for systems without it.
if(NOT manifest MATCHES "<dpiAwareness[^>]*>PerMonitorV2, *PerMonitor</dpiAwareness>" OR
   NOT manifest MATCHES "<dpiAware[^>]*>true/pm</dpiAware>")
    message(FATAL_ERROR "the manifest does not declare per-monitor DPI awareness (v2, then per-monitor, then system):\n${manifest}")
endif()
# Windows 7, 8, 8.1 and 10/11.
foreach(os 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38
           1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)
    if(NOT manifest MATCHES "<supportedOS Id=\"\"{${os}}\"\"/>")
        message(FATAL_ERROR "the manifest's compatibility section lacks supportedOS {${os}}:\n${manifest}")
    endif()
endforeach()

# The window icon and the five row icons, drawn for 100, 125, 150, 175, 200,
# 225, 250 and 300 %: Windows stretches a size the icon lacks into a blur.
# windres lists each group's sizes as octal "width height" bytes.
foreach(group 111 113 132 133 134 135)
    string(FIND "${resources}" "\n${group} 14 /* RT_GROUP_ICON */" start)
    if(start EQUAL -1)
        message(FATAL_ERROR "no icon group ${group}")
    endif()
    string(SUBSTRING "${resources}" ${start} 1200 block)
    string(FIND "${block}" "\nEND" block_end)
    string(SUBSTRING "${block}" 0 ${block_end} block)
    foreach(size 020 024 030 034 040 044 050 060)
        string(FIND "${block}" "\"\\${size}\\${size}\\000\\000\"" found)
        if(found EQUAL -1)
            math(EXPR pixels "(${size} / 10) * 8 + ${size} % 10")
            message(FATAL_ERROR "icon ${group} lacks its ${pixels}-pixel image:\n${block}")
        endif()
    endforeach()
endforeach()

# The message table of the events: ids 1 and 2, each its one insertion
# string and nothing more.
foreach(id 1 2)
    if(NOT resources MATCHES "MessageId = 0x${id}\n +%1%0")
        message(FATAL_ERROR "the message table lacks message ${id} as \"%1%0\"")
    endif()
endforeach()

math(EXPR shown "${characteristics}" OUTPUT_FORMAT HEXADECIMAL)
message(STATUS "DllCharacteristics ${shown} (Terminal Server aware), icons from 100 to 300 %, asInvoker, Windows 7 to 11, UTF-8, per-monitor DPI, messages 1 and 2")
