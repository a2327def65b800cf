// Example: list the cameras, open the first, read its JSON document and a few
// IMU samples in physical units, through the C++ interface.
//
// Built twice from this one source: against the C++ library (example_cpp),
// and with VELMORA_EXAMPLE_OVER_C against the header-only C++ layer over the
// C library (example_cpp_over_c), which is how a program built with another
// compiler than the SDK's, Visual C++ for example, uses the same interface.
#if defined(VELMORA_EXAMPLE_OVER_C)
#include <velmora/uvc_stereo_c.hpp>
namespace uvc = velmora::uvc_stereo_c;
#else
#include <velmora/uvc_stereo.hpp>
namespace uvc = velmora::uvc_stereo;
#endif

#include <cstdio>
#include <string>
#include <utility>

namespace {

constexpr int kSamplesToRead = 5;

int fail(const uvc::Status& status) {
    std::fprintf(stderr, "error: %s (code %d)\n", status.message().c_str(), static_cast<int>(status.code()));
    return 1;
}

}  // namespace

int main() {
    // 1. Scan. An empty list is a success: no supported camera is attached.
    auto scanned = uvc::scan_devices();
    if (!scanned.ok()) return fail(scanned.status());
    const auto& devices = scanned.value();
    std::printf("%lu camera(s) found\n", static_cast<unsigned long>(devices.size()));
    for (const auto& device : devices) {
        std::printf("  %04x:%04x  %s  serial %s\n", device.vid, device.pid, device.name.c_str(),
                    device.serial_number.c_str());
        for (const auto& [backend, index] : device.opencv_indices) {
            std::printf("    OpenCV: cv::VideoCapture(%d, %d)  // %s\n", index, static_cast<int>(backend),
                        std::string(uvc::opencv_backend_name(backend)).c_str());
        }
    }
    if (devices.empty()) return 0;

    // 2. Open the first camera; by default the flash must answer.
    auto opened = uvc::open_device(devices.front());
    if (!opened.ok()) return fail(opened.status());
    uvc::Device device = std::move(opened.value());

    // 3. The JSON document kept in the camera's flash (minified).
    const auto document = device.read_json();
    if (!document.ok()) return fail(document.status());
    std::printf("JSON document (record version %u): %s\n", static_cast<unsigned>(document.value().version),
                document.value().json.c_str());

    // 4. A few IMU samples, converted with the camera's own scale values.
    if (const auto status = device.open_imu(); !status.ok()) return fail(status);
    for (int i = 0; i < kSamplesToRead; ++i) {
        const auto raw = device.read_imu();
        if (!raw.ok()) return fail(raw.status());
        const auto sample = device.convert_imu(raw.value());
        if (!sample.ok()) return fail(sample.status());
        const auto& s = sample.value();
        std::printf("IMU %d: %.2f C  accel %.3f %.3f %.3f g  gyro %.2f %.2f %.2f dps\n", i, s.temperature_c,
                    s.accel_g[0], s.accel_g[1], s.accel_g[2], s.gyro_dps[0], s.gyro_dps[1], s.gyro_dps[2]);
    }
    // Closing is optional: destroying the Device ends the session too.
    if (const auto status = device.close_imu(); !status.ok()) return fail(status);
    return 0;
}
