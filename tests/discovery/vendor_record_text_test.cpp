// Texts read out of vendor device records.
#include <gtest/gtest.h>

#include "discovery/vendor_record_text.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

void write_text(SonixLib::scWideChar* field, const char* ascii) {
    for (; *ascii != '\0'; ++ascii, ++field) *field = static_cast<SonixLib::scWideChar>(*ascii);
}

TEST(VendorRecordTextTest, ReadsUpToTerminatorOrFieldEnd) {
    SonixLib::scDevice_t record;
    write_text(record.name, "Stereo Cam");
    EXPECT_EQ(record_text_to_utf8(record.name), "Stereo Cam");
    EXPECT_EQ(record_text_to_utf8(record.device_path), "");

    // A path that fills its whole field without a terminator is cut at the
    // field's end instead of running past the record.
    for (SonixLib::scWideChar& unit : record.device_path) unit = 'p';
    const std::string path = record_text_to_utf8(record.device_path);
    EXPECT_EQ(path, std::string(sizeof(record.device_path) / sizeof(record.device_path[0]), 'p'));

    // An unterminated name stops before the path that follows it.
    for (SonixLib::scWideChar& unit : record.name) unit = 'n';
    EXPECT_EQ(record_text_to_utf8(record.name), std::string(256, 'n'));
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
