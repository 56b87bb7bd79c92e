# Makes Brovana's import library for mingw callers. The DLL exports undecorated names, but a caller's compiler
# asks for the decorated __stdcall symbol (_GetHtmlLength@8). This script finds each export's decorated name in
# the compiled exports, writes a .def with those names and lets dlltool build the import library, which binds
# each decorated symbol to the undecorated export (--kill-at).
#
# Variables: DEF (the library's .def), OBJECTS (the compiled exports, |-separated), NM, DLLTOOL, DLL (file name
# of the library), OUT (the import library to write).
set(symbols "")
string(REPLACE "|" ";" OBJECTS "${OBJECTS}")
foreach(obj IN LISTS OBJECTS)
    execute_process(COMMAND "${NM}" --defined-only "${obj}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${NM} failed on ${obj}")
    endif()
    string(APPEND symbols "${out}")
endforeach()

file(STRINGS "${DEF}" lines)
set(decorated "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+@([0-9]+)")
        set(name "${CMAKE_MATCH_1}")
        set(ordinal "${CMAKE_MATCH_2}")
        if(symbols MATCHES " T _${name}@([0-9]+)\n")
            string(APPEND decorated "    ${name}@${CMAKE_MATCH_1} @${ordinal}\n")
        else()
            message(FATAL_ERROR "no __stdcall function ${name} among the exports")
        endif()
    endif()
endforeach()
file(WRITE "${OUT}.def" "${decorated}")
execute_process(COMMAND "${DLLTOOL}" --input-def "${OUT}.def" --dllname "${DLL}" --output-lib "${OUT}" --kill-at
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${DLLTOOL} could not write ${OUT}")
endif()
