// The flash and firmware functions. The bridge chip reaches its serial flash
// and firmware version through a vendor-private protocol that uvcvideo does
// not offer, so on Linux each of them fails with the code the vendor library
// gives for that operation, and changes nothing.
#include "library_state.hpp"
#include "sonix_camera.h"

using sonix_uvcvideo::Library;
using SonixLib::scDevice_t;

namespace {

// A camera that has gone is reported as such; one that is there as unable.
bool unavailable(scDevice_t* dev, SonixLib::scErrorCode_t code) {
    return sonix_uvcvideo::run_device_call(dev, [&](Library& library, const std::string& path) -> std::int32_t {
        return library.camera(path) ? code : SonixLib::ecDeviceDisconnect;
    });
}

}  // namespace

extern "C" {

SONIX_CAMERA_API bool SonixCam_GetVersion(scDevice_t* dev, char*, std::uint32_t, std::uint32_t) {
    return unavailable(dev, SonixLib::ecGetChipRomVersionFail);
}

SONIX_CAMERA_API bool SonixCam_GetSerialFlashType(scDevice_t* dev, SonixLib::scSerialFlashType_t*) {
    return unavailable(dev, SonixLib::ecGetKsControlFail);
}

SONIX_CAMERA_API bool SonixCam_CstmReadFromSF(scDevice_t* dev, std::uint32_t, std::uint8_t*, std::uint32_t) {
    return unavailable(dev, SonixLib::ecGetKsControlFail);
}

SONIX_CAMERA_API bool SonixCam_WriteToSF(scDevice_t* dev, std::uint32_t, const std::uint8_t*, std::uint32_t) {
    return unavailable(dev, SonixLib::ecWriteFlashFail);
}

SONIX_CAMERA_API bool SonixCam_SectorEraseSF(scDevice_t* dev, std::uint32_t, std::uint8_t) {
    return unavailable(dev, SonixLib::ecSectorEraseFail);
}

SONIX_CAMERA_API bool SonixCam_SetStatusRegBitWP(scDevice_t* dev, std::uint8_t, std::uint8_t, std::uint8_t,
                                                 std::uint8_t, std::uint8_t, std::uint8_t) {
    return unavailable(dev, SonixLib::ecDisableWriteProtectFail);
}

SONIX_CAMERA_API bool SonixCam_SetWriteProtectedSF(scDevice_t* dev, std::uint8_t, std::uint8_t) {
    return unavailable(dev, SonixLib::ecDisableWriteProtectFail);
}

}  // extern "C"
