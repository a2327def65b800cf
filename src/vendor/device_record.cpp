// The texts of a vendor device record.
#include "vendor/device_record.hpp"

#include "platform/utf16.hpp"

namespace velmora::uvc_stereo::vendor {

namespace {

template <std::size_t N>
std::string field_text(const SonixLib::scWideChar (&field)[N]) {
    return platform::utf16_to_utf8(field, N);
}

}  // namespace

std::string record_name(const DeviceRecord& record) { return field_text(record.name); }

std::string record_path(const DeviceRecord& record) { return field_text(record.device_path); }

}  // namespace velmora::uvc_stereo::vendor
