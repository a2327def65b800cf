// Runs one vendor call under the library's mutex and records it.
#include "vendor_dispatch.hpp"

#include <chrono>
#include <new>
#include <thread>

#include "core/byte_order.hpp"

namespace sonix_virtual {

using velmora::uvc_stereo::detail::read_le16;
using velmora::uvc_stereo::detail::write_le16;

namespace {

struct Outcome {
    bool ok = false;
    std::int32_t code = 0;
};

Outcome run_checked(Library& library, const CallSpec& call, DeviceState* device, const CallBody& body) {
    if (call.needs_init && library.init_depth == 0) return {false, SonixLib::ecLibInitFail};
    if (call.addresses_device) {
        if (call.record == nullptr || device == nullptr) return {false, SonixLib::ecNotFindDevice};
        if (!device->attached) return {false, SonixLib::ecDeviceDisconnect};
    }
    const std::int32_t code = body(library, device);
    return {code == 0, code};
}

// What the call does that the contract forbids, or null. Judged before any
// fault fires: the caller broke the contract whatever the library answers.
const char* contract_violation(const Library& library, const CallSpec& call, const DeviceState* device) {
    if (call.releases_init && library.init_depth == 0) return "SonixCam_UnInit without an outstanding SonixCam_Init";
    if (call.needs_init && library.init_depth == 0) return "called before SonixCam_Init";
    if (call.addresses_device && call.record == nullptr) return "no device record given";
    if (call.record != nullptr && device == nullptr) return "the device record names no device";
    return nullptr;
}

// A failing call's code goes where the scenario's error_codes option says.
void set_error_codes(Library& library, DeviceState* device, std::int32_t code) {
    const ErrorCodeScope scope = library.behaviour().error_codes;
    if (device != nullptr && scope != ErrorCodeScope::library_only) device->last_error = code;
    if (device == nullptr || scope != ErrorCodeScope::device_only) library.library_error = code;
}

Outcome run_locked(Library& library, const CallSpec& call, const CallBody& body) {
    DeviceState* device = call.record != nullptr ? library.find_by_handle(record_handle(*call.record)) : nullptr;
    if (const char* violation = contract_violation(library, call, device)) {
        library.violations.record(call.function, violation);
    }
    const FaultPlan::Fired fired = library.faults.on_call(call.function);
    for (const std::string& id : fired.detach) {
        if (DeviceState* target = library.find_by_id(id)) library.detach(*target);
    }
    Outcome outcome;
    try {
        outcome = fired.failure ? Outcome{false, *fired.failure} : run_checked(library, call, device, body);
        if (outcome.ok && fired.garble && call.answer != nullptr && call.answer_length != 0) {
            call.answer[call.answer_length - 1] ^= 1u;
        }
    } catch (const std::bad_alloc&) {
        outcome = {false, SonixLib::ecMemoryMallocFail};
    } catch (...) {
        outcome = {false, SonixLib::ecGetKsControlFail};
    }
    if (!outcome.ok && call.sets_error_codes) set_error_codes(library, device, outcome.code);
    // The call has taken effect (an Init counted, a sector erased), so it must
    // report what it did: a log entry that finds no memory is dropped rather
    // than turning a success into a failure.
    try {
        library.log.append(call.function, device != nullptr ? device->setup.id : std::string(), call.args,
                           outcome.ok, outcome.code);
    } catch (const std::bad_alloc&) {
    }
    return outcome;
}

}  // namespace

bool dispatch_call(const CallSpec& call, const CallBody& body) {
    try {
        Library& library = Library::instance();
        std::uint32_t latency = 0;
        {
            const std::lock_guard<std::mutex> lock(library.mutex());
            library.ensure_loaded();
            latency = library.latency_us(call.function);
        }
        // The pause happens outside the mutex so control calls never wait for it.
        if (latency != 0) std::this_thread::sleep_for(std::chrono::microseconds(latency));
        const std::lock_guard<std::mutex> lock(library.mutex());
        return run_locked(library, call, body).ok;
    } catch (...) {
        return false;
    }
}

std::uint16_t record_handle(const SonixLib::scDevice_t& record) { return read_le16(record.library_head); }

void set_record_handle(SonixLib::scDevice_t& record, std::uint16_t handle) { write_le16(record.library_head, handle); }

}  // namespace sonix_virtual
