// Default initialisers, back-end names and buffer release of the C library.
#include <cstdlib>

#include "velmora/uvc_stereo/opencv_backend.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora_uvc_stereo_c.h"

extern "C" void velmora_uvc_stereo_free(void* ptr) { std::free(ptr); }

extern "C" void velmora_uvc_stereo_open_device_options_init_default(velmora_uvc_stereo_open_device_options* options) {
    if (options == nullptr) return;
    options->required_capabilities = velmora::uvc_stereo::OpenDeviceOptions{}.required_capabilities;
}

extern "C" void velmora_uvc_stereo_imu_conversion_options_init_default(
    velmora_uvc_stereo_imu_conversion_options* options) {
    if (options == nullptr) return;
    const velmora::uvc_stereo::ImuConversionOptions defaults;
    options->temperature_offset_c = defaults.temperature_offset_c;
    options->temperature_lsb_per_c = defaults.temperature_lsb_per_c;
    options->accel_lsb_per_g = defaults.accel_lsb_per_g;
    options->gyro_lsb_per_dps = defaults.gyro_lsb_per_dps;
}

extern "C" const char* velmora_uvc_stereo_opencv_backend_name(int backend) {
    // The C++ names are string literals, so the view's data is a static
    // NUL-terminated text the C caller may keep.
    return velmora::uvc_stereo::opencv_backend_name(static_cast<velmora::uvc_stereo::OpenCvBackend>(backend)).data();
}
