# CPack post-build script: packs the .debug files split off the shipped
# binaries (VelmoraDebugSymbols.cmake) beside the packages.
file(GLOB debug_files RELATIVE ${CPACK_VELMORA_DEBUG_SYMBOLS_DIR} ${CPACK_VELMORA_DEBUG_SYMBOLS_DIR}/*.debug)
if(NOT debug_files)
    message(FATAL_ERROR "no debug information was split off the packaged binaries")
endif()
if(CPACK_VELMORA_DEBUG_PACKAGE_SUFFIX MATCHES "zip$")
    set(flags cf)
    set(format zip)
else()
    set(flags cfz)
    set(format gnutar)
endif()
set(output ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}${CPACK_VELMORA_DEBUG_PACKAGE_SUFFIX})
file(REMOVE ${output})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar ${flags} ${output} --format=${format} ${debug_files}
    WORKING_DIRECTORY ${CPACK_VELMORA_DEBUG_SYMBOLS_DIR} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "debug information: ${output}")
