# Install rules: headers, libraries and a CMake package, so that a consumer
# project can find_package(velmora_uvc_stereo_sdk CONFIG REQUIRED).
include(CMakePackageConfigHelpers)

set(VELMORA_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/velmora_uvc_stereo_sdk)

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

# The virtual camera ships too: applications link the SDK against it to run
# without hardware (on Windows the vendor's own SonixCamera.dll replaces it).
install(TARGETS SonixCamera sonix_camera_api
    EXPORT velmora_uvc_stereo_sdk_targets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

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
