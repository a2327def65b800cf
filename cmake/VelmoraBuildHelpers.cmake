# Helpers shared by every CMakeLists of the project.

# Warnings are errors everywhere, natively and with MinGW (same GCC flags).
function(velmora_enable_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Properties shared by the SDK's two shipped libraries: versioned, named on
# Windows exactly as the target (no "lib" prefix), and finding the virtual
# camera installed beside them elsewhere.
function(velmora_configure_shipped_library target export_name)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        EXPORT_NAME ${export_name})
    if(WIN32)
        set_target_properties(${target} PROPERTIES PREFIX "")
    else()
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    endif()
endfunction()

# One GoogleTest executable per test folder, run as one CTest test (natively,
# or under Wine through CMAKE_CROSSCOMPILING_EMULATOR when cross-building).
#   velmora_add_test(NAME formats_tests SOURCES a.cpp b.cpp LIBS ... [LABELS ...])
function(velmora_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    velmora_enable_warnings(${ARG_NAME})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} --gtest_brief=1)
    set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 600)
    if(ARG_LABELS)
        set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# A test that runs against mocked cameras: the command runs inside a umockdev
# testbed (tests/mocked_cameras/testbed.py under umockdev-wrapper) holding the
# named fixtures, optionally with a camera library preloaded (the uvcvideo
# library, for programs that link the SDK) and NAME=VALUE settings. Not added
# without umockdev. PYTEST runs pytest (Debian's interpreter, whose gi module
# reaches umockdev) over the given files instead of a command.
#   velmora_add_mocked_test(NAME name FIXTURES f... [CAMERA_LIBRARY file] [ENV n=v...]
#                           COMMAND ... | PYTEST file...)
function(velmora_add_mocked_test)
    cmake_parse_arguments(ARG "" "NAME;CAMERA_LIBRARY" "FIXTURES;COMMAND;PYTEST;ENV" ${ARGN})
    find_program(VELMORA_UMOCKDEV_WRAPPER umockdev-wrapper)
    find_program(VELMORA_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
    if(NOT VELMORA_UMOCKDEV_WRAPPER OR NOT VELMORA_SYSTEM_PYTHON)
        message(STATUS "${ARG_NAME} left out: umockdev-wrapper or /usr/bin/python3 missing (scripts/install-dependencies.sh)")
        return()
    endif()
    set(driver ${VELMORA_UMOCKDEV_WRAPPER} ${VELMORA_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/mocked_cameras/testbed.py)
    foreach(fixture IN LISTS ARG_FIXTURES)
        list(APPEND driver --fixture ${fixture})
    endforeach()
    if(ARG_CAMERA_LIBRARY)
        list(APPEND driver --camera-library ${ARG_CAMERA_LIBRARY})
    endif()
    foreach(setting IN LISTS ARG_ENV)
        list(APPEND driver --env ${setting})
    endforeach()
    if(ARG_PYTEST)
        set(ARG_COMMAND ${VELMORA_SYSTEM_PYTHON} -m pytest -q -p no:cacheprovider ${ARG_PYTEST})
    endif()
    add_test(NAME ${ARG_NAME} COMMAND ${driver} -- ${ARG_COMMAND})
    # The sanitizers' runtime cannot come first under umockdev's preload.
    set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 300 LABELS mocked
        ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0")
endfunction()
