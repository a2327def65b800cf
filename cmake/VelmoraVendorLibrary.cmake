# Which library stands behind the `SonixCamera` target that the SDK links:
#   - by default the project's virtual camera (virtual_camera/), which also
#     ships for tests and runs everywhere;
#   - with -DVELMORA_VENDOR_LIBRARY=<SonixCamera.lib | libSonixCamera.dll.a |
#     libSonixCamera.so>, the vendor's own library, imported, with its header
#     folder from VELMORA_VENDOR_INCLUDE_DIR. The virtual camera, the tests and
#     the benchmarks (which drive the virtual camera) are then not built, and
#     nothing of the vendor's is installed: its DLL goes beside the
#     application (or the SDK's DLLs) by hand.
# Sets VELMORA_USES_VIRTUAL_CAMERA for the install rules.
#
# On Linux the project also builds its own implementation of the vendor's
# functions over uvcvideo (src/vendor/uvcvideo), which reaches real cameras.
# It and the virtual camera carry one soname, libSonixCamera.so.<this>, so
# that either stands in for the other: whichever a process loads first is
# the one the SDK uses.
set(VELMORA_CAMERA_LIBRARY_SOVERSION 1)
set(VELMORA_VENDOR_LIBRARY "" CACHE FILEPATH
    "The vendor's SonixCamera import library to link instead of the virtual camera")
set(VELMORA_VENDOR_INCLUDE_DIR "${PROJECT_SOURCE_DIR}/src/vendor/sonix" CACHE PATH
    "Folder holding sonix_camera.h, the vendor library's declarations (used with VELMORA_VENDOR_LIBRARY)")

if(NOT VELMORA_VENDOR_LIBRARY)
    set(VELMORA_USES_VIRTUAL_CAMERA ON)
    add_subdirectory(virtual_camera)
    if(NOT WIN32)
        # Its installed folder, apart from the library the SDK finds by
        # default (the tool needs it before the install rules are read).
        set(VELMORA_VIRTUAL_CAMERA_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/velmora-uvc-stereo-sdk/virtual-camera)
    endif()
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
        add_subdirectory(src/vendor/uvcvideo)
    endif()
    return()
endif()

set(VELMORA_USES_VIRTUAL_CAMERA OFF)
if(NOT EXISTS "${VELMORA_VENDOR_LIBRARY}")
    message(FATAL_ERROR "VELMORA_VENDOR_LIBRARY: no such file: ${VELMORA_VENDOR_LIBRARY}")
endif()
if(NOT EXISTS "${VELMORA_VENDOR_INCLUDE_DIR}/sonix_camera.h")
    message(FATAL_ERROR "VELMORA_VENDOR_INCLUDE_DIR: no sonix_camera.h in ${VELMORA_VENDOR_INCLUDE_DIR}")
endif()
foreach(option VELMORA_BUILD_TESTS VELMORA_BUILD_BENCHMARKS)
    if(${option})
        message(STATUS "${option} is ignored with VELMORA_VENDOR_LIBRARY: the tests and benchmarks drive the virtual camera")
        set(${option} OFF)
    endif()
endforeach()
message(STATUS "Vendor library: ${VELMORA_VENDOR_LIBRARY} (declarations from ${VELMORA_VENDOR_INCLUDE_DIR})")

# GLOBAL, so that src/ and tools/ see the targets defined here.
add_library(sonix_camera_api INTERFACE IMPORTED GLOBAL)
# The project's optional extras (looked up at run time) come from their own
# folder, so that they declare against the vendor's header.
set_target_properties(sonix_camera_api PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${VELMORA_VENDOR_INCLUDE_DIR};${PROJECT_SOURCE_DIR}/src/vendor/extras")

# An import library (or a shared object) linked by path: UNKNOWN takes any of
# SonixCamera.lib, libSonixCamera.dll.a or libSonixCamera.so as it is.
add_library(SonixCamera UNKNOWN IMPORTED GLOBAL)
set_target_properties(SonixCamera PROPERTIES
    IMPORTED_LOCATION "${VELMORA_VENDOR_LIBRARY}"
    INTERFACE_LINK_LIBRARIES sonix_camera_api)
