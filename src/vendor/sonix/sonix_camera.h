// The bridge-chip vendor's camera library (SonixCamera), declared from the
// contract the SDK relies on. The real library and the project's virtual
// camera both implement exactly these functions; the SDK cannot tell which
// one it is linked with.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#if defined(SONIX_CAMERA_BUILDING)
#define SONIX_CAMERA_API __declspec(dllexport)
#else
#define SONIX_CAMERA_API __declspec(dllimport)
#endif
#else
#define SONIX_CAMERA_API __attribute__((visibility("default")))
#endif

namespace SonixLib {

// UTF-16 code unit of the texts inside the device record. On Windows that is
// wchar_t, which the Win32 text functions take directly; elsewhere wchar_t is
// 32 bits wide, so the 16-bit char16_t keeps the record's byte layout.
#if defined(_WIN32)
using scWideChar = wchar_t;
#else
using scWideChar = char16_t;
#endif

// The vendor's device record: 1126 bytes, zeroed on construction and passed by
// address to every per-device call. Only the two texts are known to the SDK;
// the other bytes belong to the library, which may keep its own bookkeeping
// there (the virtual camera keeps a 16-bit attachment handle in the first two).
struct scDevice_t {
    std::uint8_t library_head[2];
    scWideChar name[256];          // zero-terminated UTF-16, byte offset 2
    scWideChar device_path[306];   // zero-terminated UTF-16, byte offset 514

    scDevice_t() : library_head{}, name{}, device_path{} {}
};

static_assert(sizeof(scWideChar) == 2, "the device record holds UTF-16 texts");
static_assert(offsetof(scDevice_t, name) == 2, "name lies at byte 2 of the record");
static_assert(offsetof(scDevice_t, device_path) == 514, "device path lies at byte 514 of the record");
static_assert(sizeof(scDevice_t) == 1126, "the vendor record is 1126 bytes");

// Library and per-device error codes, as reported by SonixCam_GetErrorCode.
enum scErrorCode_t : std::int32_t {
    ecUnknow = 0,
    ecCoInitializeEx = 1,
    ecLibInitFail = 2,
    ecEnumDeviceFail = 3,
    ecNotFindDevice = 4,
    ecGetKsControlFail = 5,
    ecMemoryMallocFail = 6,
    ecDeviceDisconnect = 7,
    ecSyncTransTimeOut = 8,
    ecBurnCheckFail = 9,
    ecSectorEraseFail = 10,
    ecBlockEraseFail = 11,
    ecWriteFlashFail = 12,
    ecChipEraseFail = 13,
    ecWriteFlashCheckFail = 14,
    ecGetParamTabFail = 15,
    ecGetChipArchTypeFail = 16,
    ecGetChipRomVersionFail = 17,
    ecDisableWriteProtectFail = 18,
    ecNoBootLoaderInSF = 19,
    ecNoCFUInSF = 20,
    ecUnknowPowerOnAreaInSF = 21,
};

// Serial-flash type reported by SonixCam_GetSerialFlashType; the SDK tests
// only for "no known flash". Other values belong to the library.
using scSerialFlashType_t = std::uint32_t;
constexpr scSerialFlashType_t SF_UNKNOW = 0;

// Capacity of one enumeration: the SDK always offers 64 records.
constexpr std::uint32_t kMaxEnumeratedCameras = 64;

}  // namespace SonixLib

// Every call returns a one-byte success flag (bool: one byte on every x64
// ABI the SDK targets). Counts, addresses and lengths the contract gives as
// 32-bit values are unsigned: an address or a length is never negative.
// Arguments the contract gives as one byte (selectors, node ids, XU lengths
// and the constant flags) are uint8_t. Buffers the SDK only reads from are
// const: the SDK hands over data it does not own mutably (a const record).
extern "C" {

SONIX_CAMERA_API bool SonixCam_Init(void);
SONIX_CAMERA_API bool SonixCam_UnInit(void);

SONIX_CAMERA_API bool SonixCam_EnumCameras(std::uint32_t* count, SonixLib::scDevice_t* devices,
                                           std::uint32_t capacity);

// dev may be null for the library-wide code.
SONIX_CAMERA_API bool SonixCam_GetErrorCode(SonixLib::scDevice_t* dev, SonixLib::scErrorCode_t* code);

// Selector 0 with length 4: the vendor and product id bytes; selectors 2, 3
// and 4 with length 64: descriptor texts. The last two arguments are 0.
SONIX_CAMERA_API bool SonixCam_GetDevDescriptor(SonixLib::scDevice_t* dev, std::uint8_t selector,
                                                std::uint8_t* buffer, std::uint32_t length,
                                                std::uint32_t reserved_0, std::uint32_t reserved_1);

// guid: 16 bytes in the standard Windows GUID byte order.
SONIX_CAMERA_API bool SonixCam_SetNodeID(SonixLib::scDevice_t* dev, std::uint8_t node_id,
                                         const std::uint8_t* guid);
SONIX_CAMERA_API bool SonixCam_XuRead(SonixLib::scDevice_t* dev, std::uint8_t* buffer, std::uint8_t length,
                                      std::uint8_t selector, std::uint8_t node_id);

// buffer of length bytes (256 as called); reserved is 0.
SONIX_CAMERA_API bool SonixCam_GetVersion(SonixLib::scDevice_t* dev, char* buffer, std::uint32_t length,
                                          std::uint32_t reserved);
SONIX_CAMERA_API bool SonixCam_GetSerialFlashType(SonixLib::scDevice_t* dev,
                                                  SonixLib::scSerialFlashType_t* type);

SONIX_CAMERA_API bool SonixCam_CstmReadFromSF(SonixLib::scDevice_t* dev, std::uint32_t address,
                                              std::uint8_t* buffer, std::uint32_t length);
SONIX_CAMERA_API bool SonixCam_WriteToSF(SonixLib::scDevice_t* dev, std::uint32_t address,
                                         const std::uint8_t* buffer, std::uint32_t length);
// erase_command is 0x20 as called (a 4 KiB sector erase).
SONIX_CAMERA_API bool SonixCam_SectorEraseSF(SonixLib::scDevice_t* dev, std::uint32_t address,
                                             std::uint8_t erase_command);
// Called as (dev, 2, 5, 1, 6, 2, 3); the meaning of the bytes is the library's.
SONIX_CAMERA_API bool SonixCam_SetStatusRegBitWP(SonixLib::scDevice_t* dev, std::uint8_t arg_0,
                                                 std::uint8_t arg_1, std::uint8_t arg_2, std::uint8_t arg_3,
                                                 std::uint8_t arg_4, std::uint8_t arg_5);
// Called as (dev, 1, 1): releases the flash write protection.
SONIX_CAMERA_API bool SonixCam_SetWriteProtectedSF(SonixLib::scDevice_t* dev, std::uint8_t arg_0,
                                                   std::uint8_t arg_1);

}  // extern "C"
