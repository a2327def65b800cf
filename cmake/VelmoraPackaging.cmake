# CPack: the packages users install, made from an already built tree with
#   cmake --build --preset <preset> --target package
#   Windows (MinGW): velmora-uvc-stereo-sdk-<version>-win64.zip
#   Linux:           velmora-uvc-stereo-sdk_<version>_amd64.deb and
#                    velmora-uvc-stereo-sdk-<version>-linux-x86_64.tar.gz
# Each holds what the install rules (VelmoraInstall.cmake) put in the prefix.
set(CPACK_PACKAGE_NAME velmora-uvc-stereo-sdk)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora SDK maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "SDK for the Velmora UVC stereo cameras: flash JSON document, IMU samples, OpenCV capture indices")
# Shipped binaries carry no debug information; it is packed beside them
# (VelmoraDebugSymbols.cmake).
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 1)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
else()
    set(CPACK_GENERATOR DEB TGZ)
    set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
    # <name>_<version>_<architecture>.deb, installed under /usr.
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
    # CPack puts the summary above this as the synopsis line.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The C++ library velmora_uvc_stereo_sdk and the C library velmora_uvc_stereo_sdk_c
with their headers, CMake package and pkg-config files, the desk tool
velmora-stereo, the API reference, the camera library over uvcvideo that
reaches the cameras on Linux (libSonixCamera.so.1, with a udev rule that lets
the user at the seat open them), and the virtual camera for tests.")
    # Depends is computed from the binaries by dpkg-shlibdeps: the C and C++
    # run times only. The virtual camera is in the package itself.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
