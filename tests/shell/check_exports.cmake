# Checks the plug-in module's export table: the seven C entry points, the
# members of the three exported classes, and nothing else (no geometry, no
# forwarders, no standard-library instances).
#   cmake -DMODE=elf|pe -DTOOL=<nm or objdump> -DMODULE=<file> -P check_exports.cmake
cmake_minimum_required(VERSION 3.20)
if(MODE STREQUAL "elf")
    execute_process(COMMAND ${TOOL} -D --defined-only ${MODULE}
                    OUTPUT_VARIABLE listing RESULT_VARIABLE status)
    # "0000000000006650 T createPlugin"
    string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" lines "${listing}")
    set(names "")
    foreach(line ${lines})
        string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" name "${line}")
        list(APPEND names "${name}")
    endforeach()
elseif(MODE STREQUAL "pe")
    execute_process(COMMAND ${TOOL} -p ${MODULE} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
    # The name pointer table: "	[   0] createPlugin"
    string(FIND "${listing}" "[Ordinal/Name Pointer] Table" start)
    if(start EQUAL -1)
        message(FATAL_ERROR "${MODULE} has no export name table")
    endif()
    string(SUBSTRING "${listing}" ${start} -1 table)
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" lines "${table}")
    set(names "")
    foreach(line ${lines})
        string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${line}")
        string(STRIP "${name}" name)
        list(APPEND names "${name}")
    endforeach()
else()
    message(FATAL_ERROR "MODE must be elf or pe")
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${MODULE}")
endif()

set(entry_points createPlugin getPluginName getPluginDescription getAuthor getHelpFile getGUIScript
    getPluginVersion)
# The members each class must export (Itanium names, as GCC and mingw emit them).
set(required
    _ZN18ZKRPluginInterfaceC2Ev _ZN18ZKRPluginInterfaceC2ERKS_ _ZN18ZKRPluginInterfaceaSERKS_
    _ZN18ZKRPluginInterfaceD2Ev _ZTV18ZKRPluginInterface
    _ZN11static_intf18ZKRPluginInterfaceC2Ev _ZN11static_intf18ZKRPluginInterfaceC2ERKS0_
    _ZN11static_intf18ZKRPluginInterfaceaSERKS0_ _ZN11static_intf18ZKRPluginInterfaceD2Ev
    _ZTVN11static_intf18ZKRPluginInterfaceE
    _ZN8TessarinC2Ev _ZN8TessarinD2Ev _ZN8Tessarin7executeEv _ZN8Tessarin10initPluginEv _ZTV8Tessarin)

set(problems "")
foreach(name ${entry_points} ${required})
    if(NOT name IN_LIST names)
        string(APPEND problems "missing export: ${name}\n")
    endif()
endforeach()
foreach(name ${names})
    if(name IN_LIST entry_points)
        continue()
    endif()
    # Members, vtables and type information of the three exported classes only.
    if(NOT name MATCHES "^_Z(N|TV|TI|TS)(N?11static_intf)?(18ZKRPluginInterface|8Tessarin)")
        string(APPEND problems "unexpected export: ${name}\n")
    endif()
endforeach()
list(LENGTH names count)
if(problems)
    message(FATAL_ERROR "${MODULE} (${count} exports):\n${problems}")
endif()
message(STATUS "${MODULE}: ${count} exports, as expected")
