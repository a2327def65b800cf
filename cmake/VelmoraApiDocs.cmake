# The API reference: Doxygen's HTML pages from the public headers. A public
# name without documentation fails the build (WARN_IF_UNDOCUMENTED with
# FAIL_ON_WARNINGS), so the reference never silently misses a function.
# Built by default whenever Doxygen is installed; VELMORA_BUILD_API_DOCS=OFF
# skips it.
find_package(Doxygen QUIET)
option(VELMORA_BUILD_API_DOCS "Build the API reference with Doxygen" ${DOXYGEN_FOUND})
if(VELMORA_BUILD_API_DOCS AND NOT DOXYGEN_FOUND)
    message(FATAL_ERROR "VELMORA_BUILD_API_DOCS needs Doxygen (Debian package doxygen)")
endif()

if(VELMORA_BUILD_API_DOCS)
    set(VELMORA_API_DOCS_OUTPUT ${CMAKE_BINARY_DIR}/api-docs)
    set(doxyfile ${CMAKE_BINARY_DIR}/Doxyfile)
    configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${doxyfile} @ONLY)
    file(GLOB_RECURSE velmora_public_headers CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/include/*.h ${PROJECT_SOURCE_DIR}/include/*.hpp)
    add_custom_command(OUTPUT ${VELMORA_API_DOCS_OUTPUT}/html/index.html
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${VELMORA_API_DOCS_OUTPUT}
        COMMAND Doxygen::doxygen ${doxyfile}
        DEPENDS ${doxyfile} ${velmora_public_headers} ${PROJECT_SOURCE_DIR}/docs/api-main-page.md
        COMMENT "Building the API reference (Doxygen)"
        VERBATIM)
    add_custom_target(api_docs ALL DEPENDS ${VELMORA_API_DOCS_OUTPUT}/html/index.html)
endif()

# velmora_install_api_docs(<destination>): installs the HTML pages when built.
function(velmora_install_api_docs destination)
    if(VELMORA_BUILD_API_DOCS)
        install(DIRECTORY ${VELMORA_API_DOCS_OUTPUT}/html/ DESTINATION ${destination})
    endif()
endfunction()
