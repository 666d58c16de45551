# Runs a Qt Test program of the Windows build under Wine and prints its log. Qt Test's log to
# standard output does not come through Wine's pipes, so it goes to a file, printed here; the
# exit status is the number of failures.
#   cmake -DWINE_RUN=... -DTEST=....exe -DLOG=....txt [-DPLATFORM=windows] -P RunUnderWine.cmake
if(NOT PLATFORM)
    set(PLATFORM offscreen)
endif()
file(REMOVE ${LOG})
string(REPLACE "/" "\\" windows_log "Z:${LOG}")
execute_process(COMMAND ${WINE_RUN} ${TEST} -platform ${PLATFORM} -o "${windows_log},txt" RESULT_VARIABLE status)
if(EXISTS ${LOG})
    file(READ ${LOG} log)
    message("${log}")
endif()
if(NOT status EQUAL 0 OR NOT EXISTS ${LOG})
    message(FATAL_ERROR "${TEST}: ${status}")
endif()
