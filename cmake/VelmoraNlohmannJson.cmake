# vcam_nlohmann_json: Debian's header-only nlohmann-json, for the parts that
# read or write JSON with it (the virtual camera's scenarios, the tool's
# scenarios and backup sidecars); the SDK itself never uses it. Looked up only
# by a build that has such a part.
if(TARGET vcam_nlohmann_json)
    return()
endif()

add_library(vcam_nlohmann_json INTERFACE)
if(CMAKE_CROSSCOMPILING)
    # The header-only library sits in the host's /usr/include, which must not
    # be put on a Windows include path: link just its folder into the build tree.
    set(vcam_json_include ${CMAKE_BINARY_DIR}/nlohmann_include)
    file(MAKE_DIRECTORY ${vcam_json_include})
    if(NOT EXISTS ${vcam_json_include}/nlohmann)
        file(CREATE_LINK /usr/include/nlohmann ${vcam_json_include}/nlohmann SYMBOLIC)
    endif()
    target_include_directories(vcam_nlohmann_json SYSTEM INTERFACE ${vcam_json_include})
else()
    find_package(nlohmann_json 3 REQUIRED)
    target_link_libraries(vcam_nlohmann_json INTERFACE nlohmann_json::nlohmann_json)
endif()
