// The extension unit is found by GUID on the camera's video-control interface
// only, whatever its unit id, and malformed descriptors end the search safely.
#include "extension_unit_search.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace sonix_uvcvideo {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::array<std::uint8_t, 16> kGuid = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                            0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};
const std::array<std::uint8_t, 16> kOtherGuid = {0x2B, 0x78, 0xE5, 0xA8, 0xE8, 0x36, 0x17, 0x4A,
                                                 0x84, 0xAB, 0xA3, 0x8E, 0x1B, 0x0D, 0x2D, 0x0F};

Bytes device() { return {18, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 64, 0x45, 0x0C, 0x43, 0x06, 0, 1, 1, 2, 3, 1}; }
Bytes configuration(std::uint8_t value) { return {9, 0x02, 0, 0, 2, value, 0, 0x80, 250}; }
Bytes interface(std::uint8_t number, std::uint8_t subclass) { return {9, 0x04, number, 0, 0, 0x0E, subclass, 0, 0}; }

// bLength 24 + pins + control bytes: GUID, bNumControls, bNrInPins,
// baSourceID[pins], bControlSize, bmControls, iExtension.
Bytes extension_unit(std::uint8_t unit, const std::array<std::uint8_t, 16>& guid, std::uint8_t pins = 1,
                     std::uint8_t control_bytes = 2) {
    Bytes unit_bytes = {static_cast<std::uint8_t>(24 + pins + control_bytes), 0x24, 0x06, unit};
    unit_bytes.insert(unit_bytes.end(), guid.begin(), guid.end());
    unit_bytes.push_back(16);
    unit_bytes.push_back(pins);
    for (std::uint8_t i = 0; i < pins; ++i) unit_bytes.push_back(9);
    unit_bytes.push_back(control_bytes);
    for (std::uint8_t i = 0; i < control_bytes; ++i) unit_bytes.push_back(0xFF);
    unit_bytes.push_back(0);
    return unit_bytes;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::optional<std::uint8_t> search(const Bytes& bytes, ExtensionUnitPlace place = {1, 0}) {
    return find_extension_unit(bytes.data(), bytes.size(), place, kGuid.data());
}

TEST(ExtensionUnitSearchTest, FindsTheUnitOfTheGuidOnTheCamerasControlInterfaceOnly) {
    // A streaming interface's descriptor with subtype 0x06 (a format) shaped
    // like an extension unit carrying the GUID.
    Bytes streaming_lookalike = extension_unit(5, kGuid);
    const struct {
        const char* name;
        Bytes descriptors;
        ExtensionUnitPlace place;
        std::optional<std::uint8_t> unit;
    } rows[] = {
        {"unit 3 beside another GUID at unit 4",
         join({device(), configuration(1), interface(0, 1), extension_unit(4, kOtherGuid), extension_unit(3, kGuid)}),
         {1, 0}, 3},
        {"several pins and control bytes",
         join({device(), configuration(1), interface(0, 1), extension_unit(7, kGuid, 3, 4)}), {1, 0}, 7},
        {"only another GUID", join({device(), configuration(1), interface(0, 1), extension_unit(4, kOtherGuid)}),
         {1, 0}, std::nullopt},
        {"the lookalike on a streaming interface",
         join({device(), configuration(1), interface(0, 1), interface(1, 2), streaming_lookalike}), {1, 0},
         std::nullopt},
        {"another function's control interface",
         join({device(), configuration(1), interface(2, 1), extension_unit(3, kGuid)}), {1, 0}, std::nullopt},
        {"the same interface of another configuration",
         join({device(), configuration(2), interface(0, 1), extension_unit(3, kGuid), configuration(1),
               interface(0, 1), extension_unit(6, kGuid)}),
         {1, 0}, 6},
        {"before any configuration", join({device(), interface(0, 1), extension_unit(3, kGuid)}), {1, 0},
         std::nullopt},
        {"unit id 0 is no unit", join({device(), configuration(1), interface(0, 1), extension_unit(0, kGuid)}),
         {1, 0}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(search(row.descriptors, row.place), row.unit);
    }
}

TEST(ExtensionUnitSearchTest, MalformedDescriptorsEndTheWalkWithoutReadingPastThem) {
    const Bytes good = join({device(), configuration(1), interface(0, 1), extension_unit(3, kGuid)});
    Bytes short_unit = extension_unit(3, kGuid, 3, 2);
    short_unit[0] = 26;  // declares less than its pins and controls need
    Bytes zero_length = join({device(), configuration(1), interface(0, 1)});
    zero_length.push_back(0);
    zero_length.push_back(0x24);
    const Bytes after_zero = join({zero_length, extension_unit(3, kGuid)});
    const struct {
        const char* name;
        Bytes descriptors;
        std::optional<std::uint8_t> unit;
    } rows[] = {
        {"whole", good, 3},
        {"cut inside the unit", Bytes(good.begin(), good.end() - 1), std::nullopt},
        {"unit shorter than its parts", join({device(), configuration(1), interface(0, 1), short_unit}),
         std::nullopt},
        {"a zero length stops the walk", after_zero, std::nullopt},
        {"empty", Bytes{}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // A copy of exactly the given size, so a read past it is caught by the sanitizers.
        const auto copy = std::make_unique<std::uint8_t[]>(row.descriptors.size());
        std::copy(row.descriptors.begin(), row.descriptors.end(), copy.get());
        EXPECT_EQ(find_extension_unit(copy.get(), row.descriptors.size(), {1, 0}, kGuid.data()), row.unit);
    }
    EXPECT_EQ(find_extension_unit(nullptr, 10, {1, 0}, kGuid.data()), std::nullopt);
}

}  // namespace
}  // namespace sonix_uvcvideo
