// Walks USB descriptors, one bLength at a time, to the extension units.
#include "extension_unit_search.hpp"

#include <algorithm>

namespace sonix_uvcvideo {
namespace {

constexpr std::uint8_t kConfigurationType = 0x02;
constexpr std::uint8_t kInterfaceType = 0x04;
constexpr std::uint8_t kClassSpecificInterfaceType = 0x24;
constexpr std::uint8_t kExtensionUnitSubtype = 0x06;
constexpr std::uint8_t kVideoClass = 0x0E;
constexpr std::uint8_t kVideoControlSubclass = 0x01;

constexpr std::size_t kConfigurationValueOffset = 5;
constexpr std::size_t kConfigurationMinimum = 9;
constexpr std::size_t kInterfaceNumberOffset = 2;
constexpr std::size_t kInterfaceClassOffset = 5;
constexpr std::size_t kInterfaceSubclassOffset = 6;
constexpr std::size_t kInterfaceMinimum = 9;

constexpr std::size_t kSubtypeOffset = 2;
constexpr std::size_t kUnitIdOffset = 3;
constexpr std::size_t kGuidOffset = 4;
constexpr std::size_t kGuidSize = 16;
constexpr std::size_t kInputPinsOffset = 21;  // bNrInPins; baSourceID[] follows
// bLength, type, subtype, bUnitID, GUID, bNumControls, bNrInPins, then
// baSourceID[p], bControlSize, bmControls[n], iExtension.
constexpr std::size_t kExtensionUnitFixedSize = 24;

// The extension unit descriptor at `unit` is whole: its variable parts fit
// inside its bLength.
bool extension_unit_complete(const std::uint8_t* unit, std::size_t length) {
    if (length < kExtensionUnitFixedSize) return false;
    const std::size_t pins = unit[kInputPinsOffset];
    if (length < kExtensionUnitFixedSize + pins) return false;
    const std::size_t control_bytes = unit[kInputPinsOffset + 1 + pins];
    return length >= kExtensionUnitFixedSize + pins + control_bytes;
}

}  // namespace

std::optional<std::uint8_t> find_extension_unit(const std::uint8_t* descriptors, std::size_t size,
                                                ExtensionUnitPlace place, const std::uint8_t* guid) {
    if (descriptors == nullptr || guid == nullptr) return std::nullopt;
    int configuration = -1;  // none seen yet: the device descriptor comes first
    bool in_video_control = false;
    std::size_t offset = 0;
    while (offset + 2 <= size) {
        const std::uint8_t* descriptor = descriptors + offset;
        const std::size_t length = descriptor[0];
        // A zero or overlong length ends the walk: nothing after it can be trusted.
        if (length < 2 || offset + length > size) break;
        const std::uint8_t type = descriptor[1];
        if (type == kConfigurationType && length >= kConfigurationMinimum) {
            configuration = descriptor[kConfigurationValueOffset];
            in_video_control = false;
        } else if (type == kInterfaceType && length >= kInterfaceMinimum) {
            in_video_control = configuration == place.configuration &&
                               descriptor[kInterfaceNumberOffset] == place.interface_number &&
                               descriptor[kInterfaceClassOffset] == kVideoClass &&
                               descriptor[kInterfaceSubclassOffset] == kVideoControlSubclass;
        } else if (type == kClassSpecificInterfaceType && in_video_control && length > kSubtypeOffset &&
                   descriptor[kSubtypeOffset] == kExtensionUnitSubtype && extension_unit_complete(descriptor, length) &&
                   descriptor[kUnitIdOffset] != 0 &&
                   std::equal(guid, guid + kGuidSize, descriptor + kGuidOffset)) {
            return descriptor[kUnitIdOffset];
        }
        offset += length;
    }
    return std::nullopt;
}

}  // namespace sonix_uvcvideo
