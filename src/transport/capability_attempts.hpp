// How the capability probe judges its attempts at the capability control:
// whether to try again, whether to ask if the camera is still there, and
// whether the camera reports, has no report, or could not be judged.
#pragma once

#include <cstdint>
#include <optional>

#include "formats/capability_report.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// The vendor library's code for a transfer that timed out (ecSyncTransTimeOut):
// a busy camera, not an answer about the control.
constexpr std::int32_t kTransferTimedOutCode = 8;

// One attempt: selecting the capability unit, then reading the 64 bytes.
struct CapabilityAttempt {
    bool transferred = false;   // both calls succeeded: `bytes` holds the answer
    CapabilityReportBytes bytes{};
    const char* failed_call = nullptr;  // otherwise the call that failed
    std::int32_t vendor_code = 0;       // and the vendor's code for it
    Status status;                      // its BackendError text

    static CapabilityAttempt answered(const CapabilityReportBytes& bytes);
    static CapabilityAttempt failed(const char* call, std::int32_t vendor_code, Status status);
};

// At most two attempts. A failed attempt is tried once more; so is an answer
// whose checksum is wrong, since one garbled transfer says nothing about the
// camera. A camera without the control answers the same way every time; a
// reporting camera's passing fault does not repeat.
class CapabilityAttempts {
public:
    static constexpr unsigned kMaxAttempts = 2;

    void add(CapabilityAttempt attempt);

    // Whether the last attempt leaves the camera unjudged and may be repeated.
    bool wants_another() const;

    // Whether the verdict needs to know that the camera is still there: the
    // last attempt failed, and a failure of a camera that went away is no
    // answer about its control.
    bool needs_presence_check() const;

    // The probe's result, once the attempts are made and, where asked for,
    // the camera was found again:
    // - a valid report: state 0, failure None;
    // - NoReport (a camera without capability reporting): an answer that is
    //   no valid report (64 zero bytes, a report that does not parse, a bad
    //   checksum twice), or two failures of the same call with the same code
    //   that is not a time-out;
    // - Unsettled, with the last status: two different failures, time-outs,
    //   or a failure after an answer with a bad checksum.
    XuCapabilityProbeResult verdict() const;

private:
    std::optional<CapabilityAttempt> first_;
    std::optional<CapabilityAttempt> last_;
    unsigned count_ = 0;
};

// A probe result that fails with `status`, and how open_device must take it.
XuCapabilityProbeResult failed_probe(Status status, XuProbeFailure failure);

}  // namespace velmora::uvc_stereo::detail
