# Install rules: headers, libraries, the tool, a CMake package (so that a
# consumer project can find_package(velmora_uvc_stereo_sdk CONFIG REQUIRED)),
# pkg-config files, the API reference, and the virtual camera for tests.
#
# Layout, relative to the install prefix:
#   bin/        the SDK's DLLs (Windows) and velmora-stereo
#   lib/        the libraries (Linux) or import libraries (Windows), with
#               cmake/velmora_uvc_stereo_sdk/ and, on Linux, pkgconfig/
#   include/    the public headers
#   Linux:      the virtual camera beside the SDK (lib/, include/sonix_virtual),
#               since the SDK links it; docs in share/doc/<package>/
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
# to drive virtual cameras in their tests. On Linux the SDK itself runs
# against it; on Windows the vendor's SonixCamera.dll takes its place.
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
        install(TARGETS SonixCamera sonix_camera_api
            EXPORT velmora_uvc_stereo_sdk_targets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/virtual_camera/include/sonix_virtual
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
    endif()
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
