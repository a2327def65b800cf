// Vendor error codes and their names.
#include "vendor/vendor_status.hpp"

#include <array>
#include <cstdio>

namespace velmora::uvc_stereo::win_detail {

namespace {

constexpr std::array<const char*, 22> kVendorErrorNames = {
    "ecUnknow",           "ecCoInitializeEx",        "ecLibInitFail",
    "ecEnumDeviceFail",   "ecNotFindDevice",         "ecGetKsControlFail",
    "ecMemoryMallocFail", "ecDeviceDisconnect",      "ecSyncTransTimeOut",
    "ecBurnCheckFail",    "ecSectorEraseFail",       "ecBlockEraseFail",
    "ecWriteFlashFail",   "ecChipEraseFail",         "ecWriteFlashCheckFail",
    "ecGetParamTabFail",  "ecGetChipArchTypeFail",   "ecGetChipRomVersionFail",
    "ecDisableWriteProtectFail", "ecNoBootLoaderInSF", "ecNoCFUInSF",
    "ecUnknowPowerOnAreaInSF",
};

constexpr std::size_t kVendorMessageBufferSize = 256;  // at most 255 characters

}  // namespace

std::int32_t get_vendor_error_code(SonixLib::scDevice_t* dev) {
    SonixLib::scErrorCode_t code = SonixLib::ecUnknow;
    if (!SonixCam_GetErrorCode(dev, &code)) return 0;
    return static_cast<std::int32_t>(code);
}

bool is_no_device_error(std::int32_t vendor_code) { return vendor_code == SonixLib::ecNotFindDevice; }

const char* vendor_error_name(std::int32_t vendor_code) {
    if (vendor_code < 0 || static_cast<std::size_t>(vendor_code) >= kVendorErrorNames.size()) return "unknown";
    return kVendorErrorNames[static_cast<std::size_t>(vendor_code)];
}

Status make_vendor_status(ErrorCode code, const char* operation, SonixLib::scDevice_t* dev) {
    return make_vendor_status_for_code(code, operation, get_vendor_error_code(dev));
}

Status make_vendor_status_for_code(ErrorCode code, const char* operation, std::int32_t vendor_code) {
    char buffer[kVendorMessageBufferSize] = {};
    std::snprintf(buffer, sizeof(buffer), "%s failed: vendor_code=%s(%d)",
                  operation != nullptr ? operation : "Sonix API", vendor_error_name(vendor_code),
                  static_cast<int>(vendor_code));
    return Status(code, buffer);
}

}  // namespace velmora::uvc_stereo::win_detail
