# Install rules: headers, libraries, the tool, a CMake package (so that a
# consumer project can find_package(velmora_uvc_stereo_sdk CONFIG REQUIRED)),
# pkg-config files, the API reference, and the virtual camera for tests.
#
# Layout, relative to the install prefix:
#   bin/        the SDK's DLLs (Windows) and velmora-stereo
#   lib/        the libraries (Linux) or import libraries (Windows), with
#               cmake/velmora_uvc_stereo_sdk/ and, on Linux, pkgconfig/
#   include/    the public headers
#   Linux:      the camera library over uvcvideo beside the SDK
#               (lib/libSonixCamera.so.1, what the SDK finds by default), the
#               virtual camera with the same soname in a folder of its own
#               (lib/velmora-uvc-stereo-sdk/virtual-camera/, headers in
#               include/sonix_virtual), the udev rule in lib/udev/rules.d/;
#               docs in share/doc/<package>/
#   Windows:    the virtual camera in virtual-camera/, kept out of bin/ so that
#               nobody ships it instead of the vendor's SonixCamera.dll; docs
#               in doc/; README.txt at the top
include(CMakePackageConfigHelpers)

set(VELMORA_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/velmora_uvc_stereo_sdk)
if(WIN32)
    set(VELMORA_VIRTUAL_CAMERA_INSTALL_DIR virtual-camera)
    set(VELMORA_DOC_INSTALL_DIR doc)
else()
    set(VELMORA_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-uvc-stereo-sdk)
    # VELMORA_VIRTUAL_CAMERA_INSTALL_DIR comes from VelmoraVendorLibrary.cmake.
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(velmora_installed_targets velmora_uvc_stereo_sdk)
if(TARGET velmora_uvc_stereo_sdk_c)
    list(APPEND velmora_installed_targets velmora_uvc_stereo_sdk_c)
endif()

install(TARGETS ${velmora_installed_targets}
    EXPORT velmora_uvc_stereo_sdk_targets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The virtual camera ships too: applications link it (velmora::SonixCamera)
# to drive virtual cameras in their tests. On Windows the vendor's
# SonixCamera.dll takes its place at run time, on Linux the uvcvideo library.
if(VELMORA_USES_VIRTUAL_CAMERA)
    if(WIN32)
        install(TARGETS SonixCamera sonix_camera_api
            EXPORT velmora_uvc_stereo_sdk_targets
            RUNTIME DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR}
            ARCHIVE DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR}
            INCLUDES DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR})
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/virtual_camera/include/sonix_virtual
            DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR})
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/virtual-camera.txt
            DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR} RENAME README.txt)
    else()
        # Its own folder: a program or test that links it (or preloads it, or
        # puts the folder on LD_LIBRARY_PATH) gets it in place of the
        # uvcvideo library, which carries the same soname.
        install(TARGETS SonixCamera sonix_camera_api
            EXPORT velmora_uvc_stereo_sdk_targets
            LIBRARY DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR}
            ARCHIVE DESTINATION ${VELMORA_VIRTUAL_CAMERA_INSTALL_DIR}
            INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/virtual_camera/include/sonix_virtual
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
    endif()
endif()
if(TARGET SonixCameraUvcvideo)
    # The library the SDK finds beside itself. No development link: nothing
    # should link it by name; the SDK's soname dependency is what loads it.
    install(TARGETS SonixCameraUvcvideo LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)
    # udev reads /usr/lib/udev/rules.d whatever the library folder is called.
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/70-velmora-uvc-stereo.rules DESTINATION lib/udev/rules.d)
endif()

install(EXPORT velmora_uvc_stereo_sdk_targets
    NAMESPACE velmora::
    DESTINATION ${VELMORA_CMAKE_INSTALL_DIR})

configure_package_config_file(
    ${PROJECT_SOURCE_DIR}/cmake/velmora_uvc_stereo_sdkConfig.cmake.in
    ${CMAKE_BINARY_DIR}/velmora_uvc_stereo_sdkConfig.cmake
    INSTALL_DESTINATION ${VELMORA_CMAKE_INSTALL_DIR})
write_basic_package_version_file(
    ${CMAKE_BINARY_DIR}/velmora_uvc_stereo_sdkConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_BINARY_DIR}/velmora_uvc_stereo_sdkConfig.cmake
    ${CMAKE_BINARY_DIR}/velmora_uvc_stereo_sdkConfigVersion.cmake
    DESTINATION ${VELMORA_CMAKE_INSTALL_DIR})

if(WIN32)
    # The .def file and Visual C++ import library of the C library.
    if(TARGET velmora_uvc_stereo_sdk_c)
        velmora_install_msvc_import_library(velmora_uvc_stereo_sdk_c ${CMAKE_INSTALL_LIBDIR})
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
else()
    velmora_install_pkg_config_files()
endif()

velmora_install_api_docs(${VELMORA_DOC_INSTALL_DIR}/api)
