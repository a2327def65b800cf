# Windows version resources (product, file version, description), the details
# Explorer and every DLL inspector show for a file. The .rc file is made from
# the project version; MinGW's windres compiles it.
if(WIN32)
    enable_language(RC)
endif()

# velmora_add_version_resource(<target> <description>): nothing outside Windows.
function(velmora_add_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(VELMORA_RC_FILE_TYPE VFT_APP)
    else()
        set(VELMORA_RC_FILE_TYPE VFT_DLL)
    endif()
    set(VELMORA_RC_DESCRIPTION "${description}")
    set(VELMORA_RC_TARGET ${target})
    # The file name is only known at generation time: configure the values
    # first, then let file(GENERATE) fill in $<TARGET_FILE_NAME:...>.
    set(template ${CMAKE_BINARY_DIR}/version-resources/${target}.rc.in)
    set(resource ${CMAKE_BINARY_DIR}/version-resources/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${template} @ONLY)
    file(GENERATE OUTPUT ${resource} INPUT ${template})
    target_sources(${target} PRIVATE ${resource})
endfunction()
