// What an SDK failure means for the person at the desk, in plain words.
#include "output/plain_words.hpp"

#include <string_view>
#include <vector>

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

bool has(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// The vendor library's own error names say what happened to the camera, which
// matters more than which call noticed it.
struct VendorMeaning {
    std::string_view vendor_code;
    const char* words;
};
const std::vector<VendorMeaning> kVendorMeanings = {
    {"ecDeviceDisconnect", "the camera was unplugged"},
    {"ecNotFindDevice", "the camera is no longer attached"},
    {"ecLibInitFail", "the camera library is not ready"},
    {"ecDisableWriteProtectFail", "the flash's write protection could not be released"},
};

// Which step failed, by the vendor function or the SDK's text naming it.
struct StepMeaning {
    std::string_view marker;
    const char* words;
};
const std::vector<StepMeaning> kStepMeanings = {
    {"SonixCam_Init failed", "the camera library could not start"},
    {"SonixCam_EnumCameras", "the camera library could not list the cameras"},
    {"SonixCam_SectorEraseSF", "the flash could not be erased"},
    {"SonixCam_WriteToSF", "the flash write failed"},
    {"SonixCam_SetStatusRegBitWP", "the flash's write protection could not be released"},
    {"SonixCam_SetWriteProtectedSF", "the flash's write protection could not be released"},
    {"SonixCam_CstmReadFromSF", "the flash could not be read"},
    {"readback mismatch", "the flash did not keep what was written (the read-back differs)"},
    {"readback size mismatch", "the flash did not keep what was written (the read-back differs)"},
    {"SonixCam_GetVersion", "the firmware version could not be read"},
    {"SonixCam_XuRead", "the camera did not answer the extension-unit read"},
    {"SonixCam_SetNodeID", "the camera's extension unit could not be selected"},
    {"IMU device reported read failure", "the IMU reported a read failure"},
    {"IMU device reported initialization failure", "the IMU reported that it failed to start"},
    {"IMU is not supported", "this camera offers no IMU (or its firmware does not allow IMU reads)"},
    {"does not declare Flash", "this camera declares no flash"},
};

std::string by_code(const uvc::Status& status) {
    switch (status.code()) {
        case uvc::ErrorCode::CrcMismatch: return "the stored record is damaged (its checksum does not match)";
        case uvc::ErrorCode::InvalidHeader:
        case uvc::ErrorCode::InvalidLength: return "the stored record is damaged";
        default: return {};
    }
}

}  // namespace

std::string plain_words(const uvc::Status& status) {
    if (status.ok()) return {};
    const std::string& message = status.message();
    for (const auto& meaning : kVendorMeanings) {
        if (has(message, std::string("vendor_code=") + std::string(meaning.vendor_code) + "(")) return meaning.words;
    }
    for (const auto& meaning : kStepMeanings) {
        if (has(message, meaning.marker)) return meaning.words;
    }
    return by_code(status);
}

}  // namespace velmora::stereo_tool
