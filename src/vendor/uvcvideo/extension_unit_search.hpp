// Finding a video-control extension unit by its GUID in a USB device's
// descriptors (the sysfs `descriptors` file: the device descriptor followed
// by the configuration descriptors with everything they hold).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sonix_uvcvideo {

struct ExtensionUnitPlace {
    std::uint8_t configuration;     // bConfigurationValue of the configuration in use
    std::uint8_t interface_number;  // the camera's video-control interface
};

// The bUnitID of the extension unit whose guidExtensionCode equals the 16
// bytes at `guid` (UVC keeps a GUID in the byte order of Windows' GUID
// structure, so the bytes compare as they are). Only extension units of that
// configuration's video-control interface count: a video-streaming interface
// uses the same class-specific subtype value for other descriptors.
std::optional<std::uint8_t> find_extension_unit(const std::uint8_t* descriptors, std::size_t size,
                                                ExtensionUnitPlace place, const std::uint8_t* guid);

}  // namespace sonix_uvcvideo
