// Names of the vendor library's functions, as faults, latencies and the call log name them.
#pragma once

#include <string_view>

namespace sonix_virtual {

inline constexpr std::string_view kVendorFunctionNames[] = {
    "SonixCam_Init",           "SonixCam_UnInit",          "SonixCam_EnumCameras",
    "SonixCam_GetErrorCode",   "SonixCam_GetDevDescriptor", "SonixCam_SetNodeID",
    "SonixCam_XuRead",         "SonixCam_GetVersion",      "SonixCam_GetSerialFlashType",
    "SonixCam_CstmReadFromSF", "SonixCam_WriteToSF",       "SonixCam_SectorEraseSF",
    "SonixCam_SetStatusRegBitWP", "SonixCam_SetWriteProtectedSF",
};

// The calls that hand data back in a buffer, whose answer a test can garble.
inline bool hands_back_data(std::string_view name) {
    return name == "SonixCam_XuRead" || name == "SonixCam_CstmReadFromSF";
}

// "*" stands for every function.
inline constexpr std::string_view kAnyFunction = "*";

inline bool is_vendor_function(std::string_view name) {
    for (const std::string_view known : kVendorFunctionNames) {
        if (known == name) return true;
    }
    return false;
}

}  // namespace sonix_virtual
