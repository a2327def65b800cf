// Shared plumbing of the control functions: the per-thread error text and the locked call wrapper.
#pragma once

#include <exception>
#include <mutex>
#include <string>

#include "library_state.hpp"

namespace sonix_virtual {

void set_last_error(std::string text);

// Runs body(library, error) under the library mutex after first-use loading;
// returns 0 when it succeeded, else -1 with the reason as the thread's error.
template <typename Body>
int run_control(Body&& body) {
    std::string error;
    try {
        Library& library = Library::instance();
        const std::lock_guard<std::mutex> lock(library.mutex());
        library.ensure_loaded();
        if (body(library, error)) return 0;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown exception in the virtual camera";
    }
    set_last_error(std::move(error));
    return -1;
}

// The device a control call names, or null with the reason in error.
DeviceState* named_device(Library& library, const char* device_id, std::string& error);

}  // namespace sonix_virtual
