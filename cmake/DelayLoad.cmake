# DLLs that are no KnownDLL are found first in the program's own folder, where
# a browser drops whatever a web page offers (version.dll, ...). The program
# therefore limits the search to the system folder before anything else, and
# loads these DLLs only after that: each is linked through a delay-import
# library that dlltool makes from the DLL's import library, so the loader
# never looks for it at start-up.
#
#   zelbar_delay_load(TARGET dll...)
#
# Replaces each named import library (as given to target_link_libraries, e.g.
# "version") among TARGET's link libraries by its delay-import library. The
# helper that loads a DLL on first use (__delayLoadHelper2) is mingw-w64's own,
# in libmingwex; it calls LoadLibrary, which the program's search limit governs.

find_program(ZELBAR_DLLTOOL NAMES ${CMAKE_C_COMPILER_TARGET}-dlltool x86_64-w64-mingw32-dlltool dlltool REQUIRED)
find_program(ZELBAR_NM NAMES x86_64-w64-mingw32-nm nm REQUIRED)

function(zelbar_delay_import_library out dll)
    set(lib "${CMAKE_BINARY_DIR}/delayload/libdelay_${dll}.a")
    if(NOT TARGET zelbar_delay_${dll})
        find_library(ZELBAR_IMPORT_${dll} NAMES ${dll} lib${dll}.a REQUIRED)
        set(def "${CMAKE_BINARY_DIR}/delayload/${dll}.def")
        add_custom_command(OUTPUT "${lib}"
            COMMAND ${CMAKE_COMMAND} -DNM=${ZELBAR_NM} -DIMPORT_LIB=${ZELBAR_IMPORT_${dll}}
                    -DDLL=${dll} -DDEF=${def} -P ${CMAKE_SOURCE_DIR}/cmake/DelayLoadDef.cmake
            COMMAND ${ZELBAR_DLLTOOL} --input-def "${def}" --output-delaylib "${lib}"
            DEPENDS ${ZELBAR_IMPORT_${dll}} ${CMAKE_SOURCE_DIR}/cmake/DelayLoadDef.cmake
            COMMENT "Delay-import library for ${dll}.dll"
            VERBATIM)
        add_custom_target(zelbar_delay_${dll} DEPENDS "${lib}")
    endif()
    set(${out} "${lib}" PARENT_SCOPE)
endfunction()

function(zelbar_delay_load target)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(libs ${target} ${property})
        if(NOT libs)
            continue()
        endif()
        foreach(dll ${ARGN})
            string(TOLOWER ${dll} dll)
            list(FIND libs ${dll} at)
            if(at GREATER -1)
                zelbar_delay_import_library(delayed ${dll})
                list(REMOVE_AT libs ${at})
                list(INSERT libs ${at} ${delayed})
                add_dependencies(${target} zelbar_delay_${dll})
            endif()
        endforeach()
        set_target_properties(${target} PROPERTIES ${property} "${libs}")
    endforeach()
endfunction()
