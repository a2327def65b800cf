// The capability probe's judgement of its attempts.
#include "transport/capability_attempts.hpp"

#include <cstring>
#include <utility>

namespace velmora::uvc_stereo::detail {

namespace {

bool has_bad_checksum(const CapabilityReportBytes& bytes) {
    return interpret_xu_capability_bytes(bytes).status.code() == ErrorCode::CrcMismatch;
}

// The same call failed with the same code, and not for want of time.
bool failed_alike(const CapabilityAttempt& first, const CapabilityAttempt& second) {
    return !first.transferred && !second.transferred && std::strcmp(first.failed_call, second.failed_call) == 0 &&
           first.vendor_code == second.vendor_code && second.vendor_code != kTransferTimedOutCode;
}

}  // namespace

CapabilityAttempt CapabilityAttempt::answered(const CapabilityReportBytes& bytes) {
    CapabilityAttempt attempt;
    attempt.transferred = true;
    attempt.bytes = bytes;
    return attempt;
}

CapabilityAttempt CapabilityAttempt::failed(const char* call, std::int32_t vendor_code, Status status) {
    CapabilityAttempt attempt;
    attempt.failed_call = call;
    attempt.vendor_code = vendor_code;
    attempt.status = std::move(status);
    return attempt;
}

XuCapabilityProbeResult failed_probe(Status status, XuProbeFailure failure) {
    XuCapabilityProbeResult result;
    result.state = 1;
    result.status = std::move(status);
    result.failure = failure;
    return result;
}

void CapabilityAttempts::add(CapabilityAttempt attempt) {
    if (count_ == 0) first_ = attempt;
    last_ = std::move(attempt);
    ++count_;
}

bool CapabilityAttempts::wants_another() const {
    if (count_ == 0) return true;
    if (count_ >= kMaxAttempts) return false;
    return !last_->transferred || has_bad_checksum(last_->bytes);
}

bool CapabilityAttempts::needs_presence_check() const { return last_.has_value() && !last_->transferred; }

XuCapabilityProbeResult CapabilityAttempts::verdict() const {
    if (!last_) return failed_probe(Status(ErrorCode::InternalError, "capability probe made no attempt"),
                                    XuProbeFailure::Unsettled);
    if (last_->transferred) {
        XuCapabilityProbeResult judged = interpret_xu_capability_bytes(last_->bytes);
        // A bad checksum after a failure confirms nothing about the camera.
        const bool after_failure = count_ > 1 && !first_->transferred;
        if (after_failure && judged.status.code() == ErrorCode::CrcMismatch) judged.failure = XuProbeFailure::Unsettled;
        return judged;
    }
    const bool legacy = count_ == kMaxAttempts && failed_alike(*first_, *last_);
    return failed_probe(last_->status, legacy ? XuProbeFailure::NoReport : XuProbeFailure::Unsettled);
}

}  // namespace velmora::uvc_stereo::detail
