// The camera library in use: choosing the virtual camera, and the notes about
// what the Linux camera library cannot do or reach.
#include "camera/camera_library.hpp"

#include <cstdlib>
#include <ostream>

#include <velmora/uvc_stereo/opencv_backend.hpp>

#include "camera/scenario.hpp"

#if defined(__linux__)
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace velmora::stereo_tool {
namespace {

const char* const kRestartedVariable = "VELMORA_STEREO_VIRTUAL_RESTART";
const char* const kCameraLibraryFile = "libSonixCamera.so.1";

#if defined(__linux__)
std::string own_folder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return std::string();
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.find_last_of('/'));
}
#endif

}  // namespace

bool wants_virtual_camera(const std::vector<std::string>& args, const char* scenario_variable) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--virtual" || arg == "--scenario" || arg.rfind("--scenario=", 0) == 0) return true;
    }
    const char* scenario = std::getenv(scenario_variable);
    return scenario != nullptr && *scenario != '\0';
}

int restart_with_virtual_camera(char** argv, const std::vector<std::string>& args, std::ostream& err) {
#if defined(__linux__)
    if (!wants_virtual_camera(args, "VCAM_SCENARIO") || virtual_camera_available()) return -1;
    if (std::getenv(kRestartedVariable) != nullptr) return -1;  // the options then say what is missing
    const std::string library = own_folder() + "/" + VELMORA_TOOL_VIRTUAL_CAMERA_FROM_BIN + "/" + kCameraLibraryFile;
    if (::access(library.c_str(), R_OK) != 0) {
        err << "error: the virtual camera is not installed (looked for " << library << ")\n";
        return 2;
    }
    // First in the list: a camera library preloaded already carries the same
    // soname and would otherwise take its place.
    const char* preloaded = std::getenv("LD_PRELOAD");
    const std::string preload = library + (preloaded != nullptr && *preloaded != '\0' ? " " + std::string(preloaded) : "");
    ::setenv("LD_PRELOAD", preload.c_str(), 1);
    ::setenv(kRestartedVariable, "1", 1);
    ::execv("/proc/self/exe", argv);
    err << "error: cannot start again with the virtual camera\n";
    return 1;
#else
    (void)argv;
    (void)args;
    (void)err;
    return -1;
#endif
}

std::string flash_unreachable_note() {
#if defined(__linux__)
    if (!virtual_camera_available()) {
        return "this camera's flash cannot be read or written on Linux; use the Windows tool to back up or write "
               "the calibration";
    }
#endif
    return std::string();
}

std::string camera_access_note(const uvc_stereo::DeviceInfo& device) {
#if defined(__linux__)
    const auto node = device.opencv_indices.find(uvc_stereo::OpenCvBackend::CAP_V4L2);
    if (node == device.opencv_indices.end() || virtual_camera_available()) return std::string();
    const std::string path = "/dev/video" + std::to_string(node->second);
    if (::access(path.c_str(), R_OK | W_OK) == 0 || (errno != EACCES && errno != EPERM)) return std::string();
    return path + " (" + (device.serial_number.empty() ? device.name : device.serial_number) +
           ") cannot be opened by this user: join the 'video' group or install the udev rule "
           "70-velmora-uvc-stereo.rules (see the README)";
#else
    (void)device;
    return std::string();
#endif
}

}  // namespace velmora::stereo_tool
