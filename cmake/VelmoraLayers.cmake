# The SDK's layers (src/layers.txt): which folder each one is and which layers
# it builds on. Folders register their sources with velmora_core_sources; each
# source goes to the layer whose folder holds it. velmora_add_layer then
# compiles a layer twice, as OBJECT libraries that link the layers below:
#   velmora_layer_<name>            hidden (VELMORA_UVC_STEREO_STATIC): the
#                                   static core, and through it the tests and
#                                   the C library, which export nothing of it;
#   velmora_layer_<name>_exporting  exporting (VELMORA_UVC_STEREO_BUILDING):
#                                   the C++ shared library.
# Object files rather than archives, so the shared library keeps every
# exported function, used inside it or not. Sources registered with
# velmora_core_test_points hold the points where a test build watches the
# SDK (core/test_control.hpp): they are compiled once more, hidden, as
# velmora_layer_<name>_points (for what ships) and
# velmora_layer_<name>_points_testing (with VELMORA_UVC_STEREO_TEST_CONTROL,
# for the test build of the core). A layer's include path holds its
# own folder and those of the layers below it, nothing else: an include that
# runs upward does not compile.

set(VELMORA_LAYER_TABLE ${PROJECT_SOURCE_DIR}/src/layers.txt)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VELMORA_LAYER_TABLE})

# The "layer" lines of the table, as global properties: VELMORA_LAYERS (bottom
# up) and, per layer, VELMORA_LAYER_<name>_FOLDER and _DEPENDS.
file(STRINGS ${VELMORA_LAYER_TABLE} velmora_layer_lines REGEX "^layer[ \t]")
foreach(line IN LISTS velmora_layer_lines)
    string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
    list(POP_FRONT fields keyword name folder)
    set_property(GLOBAL APPEND PROPERTY VELMORA_LAYERS ${name})
    set_property(GLOBAL PROPERTY VELMORA_LAYER_${name}_FOLDER ${folder})
    set_property(GLOBAL PROPERTY VELMORA_LAYER_${name}_DEPENDS ${fields})
endforeach()
unset(velmora_layer_lines)

# The layer whose folder holds the file (the longest matching folder).
function(velmora_layer_of_file file out)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/src ${file})
    get_property(layers GLOBAL PROPERTY VELMORA_LAYERS)
    set(found "")
    set(found_length 0)
    foreach(layer IN LISTS layers)
        get_property(folder GLOBAL PROPERTY VELMORA_LAYER_${layer}_FOLDER)
        string(LENGTH "${folder}/" length)
        string(SUBSTRING "${relative}" 0 ${length} head)
        if(head STREQUAL "${folder}/" AND length GREATER found_length)
            set(found ${layer})
            set(found_length ${length})
        endif()
    endforeach()
    if(NOT found)
        message(FATAL_ERROR "${file} lies in no layer of ${VELMORA_LAYER_TABLE}")
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# Appends sources (paths relative to the calling folder) to the list <kind>
# of their layers.
function(velmora_register_layer_sources kind)
    foreach(source IN LISTS ARGN)
        get_filename_component(absolute "${source}" ABSOLUTE)
        velmora_layer_of_file(${absolute} layer)
        set_property(GLOBAL APPEND PROPERTY VELMORA_LAYER_${layer}_${kind} "${absolute}")
    endforeach()
endfunction()

# Registers SDK sources with their layers.
function(velmora_core_sources)
    velmora_register_layer_sources(SOURCES ${ARGN})
endfunction()

# Registers SDK sources that hold test-control points (compiled without them
# into everything that ships, with them into the test build of the core).
function(velmora_core_test_points)
    velmora_register_layer_sources(POINT_SOURCES ${ARGN})
endfunction()

# Sources compiled only into the shared libraries (never into tests), such as
# the Windows DLL entry point.
function(velmora_dll_sources)
    foreach(source IN LISTS ARGN)
        get_filename_component(absolute "${source}" ABSOLUTE)
        set_property(GLOBAL APPEND PROPERTY VELMORA_DLL_SOURCES "${absolute}")
    endforeach()
endfunction()

# The include folder that shows the layer's own headers and nothing else: it
# holds one link, <folder> -> src/<folder>, so "discovery/x.hpp" names
# src/discovery/x.hpp there and nothing of transport/ is visible.
function(velmora_layer_include_root name out)
    get_property(folder GLOBAL PROPERTY VELMORA_LAYER_${name}_FOLDER)
    set(root ${CMAKE_BINARY_DIR}/layer_include/${name})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    set(${out} ${root} PARENT_SCOPE)
endfunction()

# Both flavours of one layer, linked to both flavours of the layers below.
function(velmora_add_layer name)
    get_property(depends GLOBAL PROPERTY VELMORA_LAYER_${name}_DEPENDS)
    get_property(sources GLOBAL PROPERTY VELMORA_LAYER_${name}_SOURCES)
    get_property(points GLOBAL PROPERTY VELMORA_LAYER_${name}_POINT_SOURCES)
    velmora_layer_include_root(${name} root)
    foreach(suffix IN ITEMS "" _exporting)
        set(target velmora_layer_${name}${suffix})
        if(suffix STREQUAL "_exporting")
            add_library(${target} OBJECT ${sources} ${points})
        else()
            add_library(${target} OBJECT ${sources})
        endif()
        target_include_directories(${target} PUBLIC ${root} ${PROJECT_SOURCE_DIR}/include)
        target_compile_features(${target} PUBLIC cxx_std_17)
        velmora_enable_warnings(${target})
        foreach(dependency IN LISTS depends)
            target_link_libraries(${target} PUBLIC velmora_layer_${dependency}${suffix})
        endforeach()
    endforeach()
    target_compile_definitions(velmora_layer_${name} PUBLIC VELMORA_UVC_STEREO_STATIC)
    target_compile_definitions(velmora_layer_${name}_exporting PUBLIC VELMORA_UVC_STEREO_BUILDING)
    if(points)
        foreach(suffix IN ITEMS _points _points_testing)
            set(target velmora_layer_${name}${suffix})
            add_library(${target} OBJECT ${points})
            velmora_enable_warnings(${target})
            target_link_libraries(${target} PUBLIC velmora_layer_${name})
        endforeach()
        target_compile_definitions(velmora_layer_${name}_points_testing PRIVATE VELMORA_UVC_STEREO_TEST_CONTROL)
    endif()
endfunction()

# The hidden objects of every layer, with the test-control points compiled
# in (TESTING) or not, for a static core.
function(velmora_link_core_objects target)
    cmake_parse_arguments(ARG "TESTING" "" "" ${ARGN})
    set(points_suffix _points)
    if(ARG_TESTING)
        set(points_suffix _points_testing)
    endif()
    get_property(layers GLOBAL PROPERTY VELMORA_LAYERS)
    list(REMOVE_ITEM layers c_api)
    foreach(layer IN LISTS layers)
        target_link_libraries(${target} PUBLIC velmora_layer_${layer})
        if(TARGET velmora_layer_${layer}${points_suffix})
            target_link_libraries(${target} PUBLIC velmora_layer_${layer}${points_suffix})
        endif()
    endforeach()
endfunction()

# Libraries (or other usage requirements) that a layer needs, in both flavours;
# PUBLIC, so whatever is linked from the layer gets them too.
function(velmora_layer_link_libraries name)
    target_link_libraries(velmora_layer_${name} PUBLIC ${ARGN})
    target_link_libraries(velmora_layer_${name}_exporting PUBLIC ${ARGN})
endfunction()
