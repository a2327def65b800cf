# pkg-config files for the two libraries. Their prefix is found from the
# .pc file's own folder (${pcfiledir}), so the same files serve the Debian
# package under /usr, the tarball unpacked anywhere and an install prefix of
# the caller's choosing.
function(velmora_install_pkg_config_files)
    set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
    # From lib/pkgconfig (or lib/<multiarch>/pkgconfig) back to the prefix.
    file(RELATIVE_PATH VELMORA_PC_PREFIX_FROM_PCFILEDIR /prefix/${pc_dir} /prefix)
    string(REGEX REPLACE "/$" "" VELMORA_PC_PREFIX_FROM_PCFILEDIR "${VELMORA_PC_PREFIX_FROM_PCFILEDIR}")
    foreach(library velmora_uvc_stereo_sdk velmora_uvc_stereo_sdk_c)
        if(TARGET ${library})
            configure_file(${PROJECT_SOURCE_DIR}/cmake/pkgconfig/${library}.pc.in
                ${CMAKE_BINARY_DIR}/pkgconfig/${library}.pc @ONLY)
            install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${library}.pc DESTINATION ${pc_dir})
        endif()
    endforeach()
endfunction()
