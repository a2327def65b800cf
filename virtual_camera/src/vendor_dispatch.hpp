// The common path of every vendor call: latency, faults, Init and device checks, error codes, call log.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "library_state.hpp"
#include "sonix_camera.h"

namespace sonix_virtual {

// A call's body returns 0 on success or the vendor error code of its failure.
using CallBody = std::function<std::int32_t(Library&, DeviceState*)>;

struct CallSpec {
    const char* function;
    std::initializer_list<std::uint64_t> args;
    bool needs_init = true;        // fails with ecLibInitFail while the library is not initialised
    bool sets_error_codes = true;  // false for the error-code query itself
    bool addresses_device = false; // the body receives the device the record names
    bool releases_init = false;    // SonixCam_UnInit: needs an outstanding Init
    const SonixLib::scDevice_t* record = nullptr;
    // The buffer a call hands data back in, for an armed garble.
    std::uint8_t* answer = nullptr;
    std::size_t answer_length = 0;
};

bool dispatch_call(const CallSpec& call, const CallBody& body);

// The attachment handle kept in the first two bytes of a record (little-endian).
std::uint16_t record_handle(const SonixLib::scDevice_t& record);
void set_record_handle(SonixLib::scDevice_t& record, std::uint16_t handle);

}  // namespace sonix_virtual
