# Runs the Windows host's demo under the emulator and the native host's demo,
# each in a folder of its own, and fails unless both write the same POI file
# and the same log (line ends aside). Without a native host the test is
# reported as skipped (the test's SKIP_REGULAR_EXPRESSION matches the text).
if(NOT NATIVE OR NOT EXISTS "${NATIVE}")
    message(FATAL_ERROR "no native zevkalon to compare with (configure with -DTESSARIN_NATIVE_ZEVKALON=...)")
endif()
foreach(side windows native)
    file(REMOVE_RECURSE ${WORK}/${side})
    file(MAKE_DIRECTORY ${WORK}/${side})
endforeach()
execute_process(COMMAND ${EMULATOR} ${HOST} demo WORKING_DIRECTORY ${WORK}/windows
                OUTPUT_FILE ${WORK}/windows/log.txt ERROR_FILE ${WORK}/windows/messages.txt RESULT_VARIABLE windows_code)
execute_process(COMMAND ${NATIVE} demo WORKING_DIRECTORY ${WORK}/native
                OUTPUT_FILE ${WORK}/native/log.txt ERROR_FILE ${WORK}/native/messages.txt RESULT_VARIABLE native_code)
if(NOT windows_code EQUAL 0 OR NOT native_code EQUAL 0)
    file(READ ${WORK}/windows/messages.txt messages)
    message(FATAL_ERROR "demo exit codes: windows ${windows_code}, native ${native_code}\n${messages}")
endif()
foreach(file tessarin_demo.poi log.txt)
    foreach(side windows native)
        if(NOT EXISTS ${WORK}/${side}/${file})
            message(FATAL_ERROR "the ${side} demo wrote no ${file}")
        endif()
        file(READ ${WORK}/${side}/${file} text_${side})
        string(REPLACE "\r\n" "\n" text_${side} "${text_${side}}")
    endforeach()
    if(NOT text_windows STREQUAL text_native)
        message(FATAL_ERROR "${file} differs between the Windows and the native demo (see ${WORK})")
    endif()
    string(LENGTH "${text_native}" length)
    message(STATUS "${file}: the same ${length} characters on both")
endforeach()
