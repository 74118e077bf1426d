# cmake -DNM=... -DIMPORT_LIB=libX.a -DDLL=X -DDEF=X.def -P DelayLoadDef.cmake:
# the .def file of the functions the import library names, for dlltool.
execute_process(COMMAND ${NM} --defined-only ${IMPORT_LIB} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[ \t]I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
list(REMOVE_DUPLICATES imports)
list(SORT imports)
set(text "LIBRARY ${DLL}.dll\nEXPORTS\n")
foreach(import ${imports})
    string(REGEX REPLACE "^[ \t]I __imp_" "" name "${import}")
    string(APPEND text "${name}\n")
endforeach()
file(WRITE ${DEF} "${text}")
