// Temporary: answers "no device" until the virtual camera lands.
#include "sonix_camera.h"

extern "C" {
bool SonixCam_Init(void) { return false; }
bool SonixCam_UnInit(void) { return true; }
bool SonixCam_EnumCameras(std::uint32_t* count, SonixLib::scDevice_t*, std::uint32_t) { *count = 0; return false; }
bool SonixCam_GetErrorCode(SonixLib::scDevice_t*, SonixLib::scErrorCode_t* code) { *code = SonixLib::ecNotFindDevice; return true; }
bool SonixCam_GetDevDescriptor(SonixLib::scDevice_t*, std::uint8_t, std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t) { return false; }
bool SonixCam_SetNodeID(SonixLib::scDevice_t*, std::uint8_t, const std::uint8_t*) { return false; }
bool SonixCam_XuRead(SonixLib::scDevice_t*, std::uint8_t*, std::uint8_t, std::uint8_t, std::uint8_t) { return false; }
bool SonixCam_GetVersion(SonixLib::scDevice_t*, char*, std::uint32_t, std::uint32_t) { return false; }
bool SonixCam_GetSerialFlashType(SonixLib::scDevice_t*, SonixLib::scSerialFlashType_t*) { return false; }
bool SonixCam_CstmReadFromSF(SonixLib::scDevice_t*, std::uint32_t, std::uint8_t*, std::uint32_t) { return false; }
bool SonixCam_WriteToSF(SonixLib::scDevice_t*, std::uint32_t, const std::uint8_t*, std::uint32_t) { return false; }
bool SonixCam_SectorEraseSF(SonixLib::scDevice_t*, std::uint32_t, std::uint8_t) { return false; }
bool SonixCam_SetStatusRegBitWP(SonixLib::scDevice_t*, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) { return false; }
bool SonixCam_SetWriteProtectedSF(SonixLib::scDevice_t*, std::uint8_t, std::uint8_t) { return false; }
}
