// Out-of-line special members of the exported public records.
#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo {

// Defaulted moves leave the source's strings, vectors and maps empty with
// libstdc++ and MSVC's library alike; the record tests hold that.
#define VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(Record)                 \
    Record::Record() = default;                                       \
    Record::Record(const Record&) = default;                          \
    Record::Record(Record&&) noexcept = default;                      \
    Record& Record::operator=(const Record&) = default;               \
    Record& Record::operator=(Record&&) noexcept = default;           \
    Record::~Record() = default;

VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(DeviceInfo)
VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(FlashConfig)
VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(ReportedImuInfo)
VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(CapabilityReport)
VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(DeviceCapabilityInfo)
VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS(ReadJsonResult)

#undef VELMORA_DEFINE_RECORD_SPECIAL_MEMBERS

}  // namespace velmora::uvc_stereo
