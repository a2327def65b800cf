# Runs two programs (through the emulator when cross-building) and fails
# unless both succeed, print EXPECT and print exactly the same text.
#   cmake -DFIRST=a -DSECOND=b -DEXPECT=regex [-DEMULATOR=list] -P same-output.cmake
foreach(program FIRST SECOND)
    execute_process(COMMAND ${EMULATOR} ${${program}}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${${program}} exited with ${status}:\n${output}${errors}")
    endif()
    if(NOT output MATCHES "${EXPECT}")
        message(FATAL_ERROR "${${program}} did not print '${EXPECT}':\n${output}")
    endif()
    set(${program}_output "${output}")
endforeach()
if(NOT FIRST_output STREQUAL SECOND_output)
    message(FATAL_ERROR "the outputs differ:\n--- ${FIRST}\n${FIRST_output}\n--- ${SECOND}\n${SECOND_output}")
endif()
message(STATUS "same output:\n${FIRST_output}")
