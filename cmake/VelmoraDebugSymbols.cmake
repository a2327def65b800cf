# Shipped binaries are stripped, but their debug information is kept beside
# the packages for crash reports: when CPack installs a stripped copy, each
# binary's DWARF is first copied out of the build tree into
# <build>/debug-symbols/<file>.debug, and the stripped copy gets a
# .gnu_debuglink naming that file (with its checksum), which gdb and other
# debuggers follow. After the packages are made, the .debug files are packed
# into <package file name>-debug.zip (Windows) or -dbgsym.tar.gz (Linux, for
# the .deb and the tarball alike: they ship the same binaries).
set(VELMORA_DEBUG_SYMBOLS_DIR ${CMAKE_BINARY_DIR}/debug-symbols)

# Splits the debug information of <target>, installed in <destination>, into
# <debug name> (by default the file's own name with .debug added). Two shipped
# binaries with one file name (the Linux camera libraries) need two names.
function(velmora_install_split_debug target destination)
    if(NOT TARGET ${target} OR NOT CMAKE_OBJCOPY)
        return()
    endif()
    set(debug_name "$<TARGET_FILE_NAME:${target}>.debug")
    if(ARGC GREATER 2)
        set(debug_name "${ARGV2}")
    endif()
    set(debug_file "${VELMORA_DEBUG_SYMBOLS_DIR}/${debug_name}")
    # Runs only when the install strips (CPack, or cmake --install --strip);
    # a plain install keeps the binaries as built.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            file(MAKE_DIRECTORY \"${VELMORA_DEBUG_SYMBOLS_DIR}\")
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --only-keep-debug \"$<TARGET_FILE:${target}>\" \"${debug_file}\"
                COMMAND_ERROR_IS_FATAL ANY)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" \"--add-gnu-debuglink=${debug_file}\"
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
endfunction()

if(WIN32)
    set(velmora_library_destination ${CMAKE_INSTALL_BINDIR})
    set(CPACK_VELMORA_DEBUG_PACKAGE_SUFFIX -debug.zip)
else()
    set(velmora_library_destination ${CMAKE_INSTALL_LIBDIR})
    set(CPACK_VELMORA_DEBUG_PACKAGE_SUFFIX -dbgsym.tar.gz)
endif()
velmora_install_split_debug(velmora_uvc_stereo_sdk ${velmora_library_destination})
velmora_install_split_debug(velmora_uvc_stereo_sdk_c ${velmora_library_destination})
velmora_install_split_debug(velmora-stereo ${CMAKE_INSTALL_BINDIR})
# The uvcvideo library and the virtual camera share libSonixCamera.so.1.
velmora_install_split_debug(SonixCameraUvcvideo ${CMAKE_INSTALL_LIBDIR})
if(VELMORA_USES_VIRTUAL_CAMERA)
    velmora_install_split_debug(SonixCamera ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR}
        "virtual-camera-$<TARGET_FILE_NAME:SonixCamera>.debug")
endif()

set(CPACK_VELMORA_DEBUG_SYMBOLS_DIR ${VELMORA_DEBUG_SYMBOLS_DIR})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/pack-debug-symbols.cmake)
