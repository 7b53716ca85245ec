# Copies NiiVue's bundle and its notices to DESTINATION as niivue.umd.js and
# niivue-notices.txt, when the bundle is installed (npm ci in viewer/).
# cmake -DBUNDLE=... -DNOTICES=... -DDESTINATION=... -P place_viewer_bundle.cmake
if(NOT EXISTS "${BUNDLE}")
    message(STATUS "NiiVue is not installed (${BUNDLE}): zevkalon --view and --snapshot will say so. "
                   "Run scripts/setup.sh, or npm ci in viewer/, then build again.")
    return()
endif()
file(MAKE_DIRECTORY "${DESTINATION}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${BUNDLE}" "${DESTINATION}/niivue.umd.js"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${NOTICES}" "${DESTINATION}/niivue-notices.txt"
                COMMAND_ERROR_IS_FATAL ANY)
