# Checks the plug-in module's export table: the seven C entry points, the
# members of the three exported classes, and nothing else (no geometry, no
# forwarders, no standard-library instances); on Windows also that the module
# imports only system DLLs.
#   cmake -DMODE=elf|pe -DTOOL=<nm or objdump> -DMODULE=<file>
#         [-DREFERENCE_COMPILER=<clang++> -DREFERENCE_SOURCE=<msvc_reference_classes.cpp>]
#         -P check_exports.cmake
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
    # The table ends at the first empty line; later sections have bracketed
    # numbers too (base relocations: "reloc 0 offset 18 [111018] DIR64").
    string(FIND "${table}" "\n\n" end)
    if(NOT end EQUAL -1)
        string(SUBSTRING "${table}" 0 ${end} table)
    endif()
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
set(problems "")

if(MODE STREQUAL "elf")
    # The members each class must export (Itanium names, as GCC emits them).
    set(required
        _ZN18ZKRPluginInterfaceC2Ev _ZN18ZKRPluginInterfaceC2ERKS_ _ZN18ZKRPluginInterfaceaSERKS_
        _ZN18ZKRPluginInterfaceD2Ev _ZTV18ZKRPluginInterface
        _ZN11static_intf18ZKRPluginInterfaceC2Ev _ZN11static_intf18ZKRPluginInterfaceC2ERKS0_
        _ZN11static_intf18ZKRPluginInterfaceaSERKS0_ _ZN11static_intf18ZKRPluginInterfaceD2Ev
        _ZTVN11static_intf18ZKRPluginInterfaceE
        _ZN8TessarinC2Ev _ZN8TessarinD2Ev _ZN8Tessarin7executeEv _ZN8Tessarin10initPluginEv _ZTV8Tessarin)
    # Members, vtables and type information of the three exported classes only.
    set(allowed "^_Z(N|TV|TI|TS)(N?11static_intf)?(18ZKRPluginInterface|8Tessarin)")
else()
    # The members a Microsoft build of the classes exports (x64 decorated
    # names), and nothing else: the Windows module serves hosts built with the
    # Microsoft compiler, so mingw's own (Itanium) names have no place here.
    set(required
        ??0ZKRPluginInterface@@QEAA@XZ ??0ZKRPluginInterface@@QEAA@AEBV0@@Z ??1ZKRPluginInterface@@UEAA@XZ
        ??4ZKRPluginInterface@@QEAAAEAV0@AEBV0@@Z ??_7ZKRPluginInterface@@6B@
        ??0ZKRPluginInterface@static_intf@@QEAA@XZ ??0ZKRPluginInterface@static_intf@@QEAA@AEBV01@@Z
        ??1ZKRPluginInterface@static_intf@@UEAA@XZ ??4ZKRPluginInterface@static_intf@@QEAAAEAV01@AEBV01@@Z
        ??_7ZKRPluginInterface@static_intf@@6B@
        ??0Tessarin@@QEAA@XZ ??1Tessarin@@UEAA@XZ ?execute@Tessarin@@UEAA_NXZ ?initPlugin@Tessarin@@UEAA_NXZ
        ??_7Tessarin@@6B@)
    set(allowed "^$")
    if(REFERENCE_COMPILER)
        # The same names as clang, which implements the Microsoft ABI, gives
        # the classes' declaration. It also exports Tessarin's implicit copy
        # constructor and assignment, as the Microsoft compiler would; the
        # library exports only the members it declares.
        execute_process(COMMAND ${REFERENCE_COMPILER} --target=x86_64-pc-windows-msvc -S -o - ${REFERENCE_SOURCE}
                        OUTPUT_VARIABLE reference RESULT_VARIABLE reference_status)
        if(NOT reference_status EQUAL 0)
            message(FATAL_ERROR "${REFERENCE_COMPILER} failed on ${REFERENCE_SOURCE}")
        endif()
        # ' /EXPORT:\"??_7Tessarin@@6B@\",DATA': the name follows a backslash and a quote.
        string(REGEX MATCHALL "/EXPORT:..[?@A-Za-z0-9_]+" reference_exports "${reference}")
        list(TRANSFORM reference_exports REPLACE "^/EXPORT:.." "")
        list(REMOVE_ITEM reference_exports ??0Tessarin@@QEAA@AEBV0@@Z ??4Tessarin@@QEAAAEAV0@AEBV0@@Z)
        list(SORT reference_exports)
        set(sorted_required ${required})
        list(SORT sorted_required)
        if(NOT reference_exports STREQUAL sorted_required)
            message(FATAL_ERROR "the decorated names differ from ${REFERENCE_COMPILER}'s:\n"
                                "  ${reference_exports}\nexpected here:\n  ${sorted_required}")
        endif()
    else()
        message(STATUS "no clang: the decorated names are not compared with a Microsoft-ABI compiler's")
    endif()

    # Only system DLLs: the C and C++ runtimes are linked in.
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${listing}")
    list(TRANSFORM imports REPLACE "^DLL Name: " "")
    foreach(import ${imports})
        string(TOLOWER "${import}" import_lower)
        if(NOT import_lower MATCHES "^(kernel32|msvcrt|ntdll|user32|advapi32|ucrtbase|api-ms-win-[a-z0-9-]+)[.]dll$")
            string(APPEND problems "imports a DLL that is not part of Windows: ${import}\n")
        endif()
    endforeach()
endif()

foreach(name ${entry_points} ${required})
    if(NOT name IN_LIST names)
        string(APPEND problems "missing export: ${name}\n")
    endif()
endforeach()
foreach(name ${names})
    if(name IN_LIST entry_points OR name IN_LIST required)
        continue()
    endif()
    if(NOT name MATCHES "${allowed}")
        string(APPEND problems "unexpected export: ${name}\n")
    endif()
endforeach()
list(LENGTH names count)
if(problems)
    message(FATAL_ERROR "${MODULE} (${count} exports):\n${problems}")
endif()
message(STATUS "${MODULE}: ${count} exports, as expected")
