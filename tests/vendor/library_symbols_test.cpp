// Finding the loaded camera library's own functions by name.
#include <gtest/gtest.h>

#include "sonix_camera.h"
#include "sonix_virtual/vcam_control.h"
#include "vendor/library_symbols.hpp"

namespace velmora::uvc_stereo::vendor {
namespace {

// Function addresses compared as the lookup returns them.
template <typename Function>
void* address_of(Function* function) {
    return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(function));
}

TEST(LibrarySymbolsTest, FindsTheFunctionsOfTheLibraryTheSdkCalls) {
    struct Row {
        const char* name;
        void* expected;
    };
    const Row rows[] = {
        {"SonixCam_Init", address_of(&SonixCam_Init)},
        {"SonixCam_XuRead", address_of(&SonixCam_XuRead)},
        {"vcam_load_scenario_file", address_of(&vcam_load_scenario_file)},  // an extra of the virtual camera
        {"no_such_function", nullptr},
        {"velmora_uvc_stereo_scan", nullptr},  // not the camera library's
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(find_library_symbol(row.name), row.expected);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::vendor
