// The texts of a vendor device record: bounded by their fields.
#include <gtest/gtest.h>

#include "vendor/device_record.hpp"

namespace velmora::uvc_stereo::vendor {
namespace {

void write_text(SonixLib::scWideChar* field, const char* ascii) {
    for (; *ascii != '\0'; ++ascii, ++field) *field = static_cast<SonixLib::scWideChar>(*ascii);
}

TEST(DeviceRecordTest, TextsEndAtTheirTerminatorOrTheirFieldsEnd) {
    DeviceRecord record;
    write_text(record.name, "Stereo Cam");
    EXPECT_EQ(record_name(record), "Stereo Cam");
    EXPECT_EQ(record_path(record), "");

    // A path that fills its whole field without a terminator is cut at the
    // field's end instead of running past the record.
    for (SonixLib::scWideChar& unit : record.device_path) unit = 'p';
    EXPECT_EQ(record_path(record), std::string(sizeof(record.device_path) / sizeof(record.device_path[0]), 'p'));

    // An unterminated name stops before the path that follows it.
    for (SonixLib::scWideChar& unit : record.name) unit = 'n';
    EXPECT_EQ(record_name(record), std::string(256, 'n'));

    // A high surrogate in the name's last unit is not paired with the
    // path's first: it stands alone.
    record.name[255] = static_cast<SonixLib::scWideChar>(0xD83D);
    record.device_path[0] = static_cast<SonixLib::scWideChar>(0xDCF7);
    EXPECT_EQ(record_name(record), std::string(255, 'n') + "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace velmora::uvc_stereo::vendor
