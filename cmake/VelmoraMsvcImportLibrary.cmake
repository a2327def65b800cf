# The C library for Visual C++ users: a module-definition (.def) file listing
# exactly the exported functions, and an import library made from it with the
# MinGW binutils' dlltool, in the format Microsoft's linker reads.
# The function names come from the library's version script, the one list
# that also fixes the Linux exports.

# velmora_install_msvc_import_library(<shared library target> <destination>)
function(velmora_install_msvc_import_library target destination)
    if(NOT CMAKE_DLLTOOL)
        message(FATAL_ERROR "dlltool (binutils-mingw-w64) is needed for ${target}.lib")
    endif()
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(export_map ${source_dir}/exports.map)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${export_map})
    file(READ ${export_map} map_text)
    if(NOT map_text MATCHES "global:([^}]*)local:")
        message(FATAL_ERROR "${export_map}: no global section")
    endif()
    set(global_section "${CMAKE_MATCH_1}")
    string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${global_section}")
    list(LENGTH names count)
    if(count EQUAL 0 OR global_section MATCHES "[*?]")
        message(FATAL_ERROR "${export_map}: the global section must list each exported function by name")
    endif()

    set(def_text "LIBRARY ${target}.dll\nEXPORTS\n")
    foreach(name IN LISTS names)
        string(APPEND def_text "    ${name}\n")
    endforeach()
    set(def_file ${CMAKE_BINARY_DIR}/lib/${target}.def)
    set(lib_file ${CMAKE_BINARY_DIR}/lib/${target}.lib)
    file(CONFIGURE OUTPUT ${def_file} CONTENT "${def_text}" @ONLY)

    add_custom_command(OUTPUT ${lib_file}
        COMMAND ${CMAKE_DLLTOOL} --machine i386:x86-64 --input-def ${def_file} --dllname ${target}.dll
                --output-lib ${lib_file}
        DEPENDS ${def_file}
        COMMENT "Making ${target}.lib for Microsoft's linker"
        VERBATIM)
    add_custom_target(${target}_msvc_import_library ALL DEPENDS ${lib_file})
    install(FILES ${def_file} ${lib_file} DESTINATION ${destination})
endfunction()
