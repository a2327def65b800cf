// Control functions that inspect or adjust state: Init depth, flash, call log, violations, back-end lists.
#include "control_support.hpp"
#include "sonix_virtual/vcam_control.h"
#include "text_codec.hpp"

using sonix_virtual::DeviceState;
using sonix_virtual::Library;
using sonix_virtual::run_control;

namespace {

constexpr int kBackendCount = 2;

bool valid_backend(int backend) { return backend >= 0 && backend < kBackendCount; }

// The visible entries of a back-end: those whose device is attached, or that name none.
std::vector<const sonix_virtual::BackendEntrySpec*> visible_entries(Library& library, int backend) {
    std::vector<const sonix_virtual::BackendEntrySpec*> entries;
    if (!valid_backend(backend)) return entries;
    for (const auto& entry : library.backend(backend).entries) {
        if (library.backend_entry_visible(entry)) entries.push_back(&entry);
    }
    return entries;
}

// Runs a read-only query under the mutex; answers fallback when anything goes wrong.
template <typename T, typename Query>
T query(T fallback, Query&& body) {
    T answer = fallback;
    (void)run_control([&](Library& library, std::string&) {
        answer = body(library);
        return true;
    });
    return answer;
}

}  // namespace

extern "C" {

VCAM_API int vcam_init_depth(void) {
    return query(0, [](Library& library) { return library.init_depth; });
}

VCAM_API int vcam_flash_peek(const char* device_id, uint32_t address, uint8_t* out, uint32_t length) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device == nullptr) return false;
        if (!device->flash.peek(address, out, length)) error = "range lies outside the flash";
        return error.empty();
    });
}

VCAM_API int vcam_flash_poke(const char* device_id, uint32_t address, const uint8_t* data, uint32_t length) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device == nullptr) return false;
        if (!device->flash.poke(address, data, length)) error = "range lies outside the flash";
        return error.empty();
    });
}

VCAM_API int vcam_flash_write_protected(const char* device_id) {
    return query(-1, [&](Library& library) {
        const DeviceState* device = device_id == nullptr ? nullptr : library.find_by_id(device_id);
        return device == nullptr ? -1 : (device->flash.is_protected() ? 1 : 0);
    });
}

VCAM_API int vcam_flash_set_write_protected(const char* device_id, int write_protected) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device != nullptr) device->flash.set_protected(write_protected != 0);
        return device != nullptr;
    });
}

VCAM_API int vcam_flash_set_stuck_byte(const char* device_id, uint32_t address, uint8_t value) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device == nullptr) return false;
        std::uint8_t probe = 0;
        if (!device->flash.peek(address, &probe, 1)) {
            error = "address lies outside the flash";
            return false;
        }
        device->flash.set_stuck_cell(address, value);
        return true;
    });
}

VCAM_API int vcam_flash_clear_stuck_bytes(const char* device_id) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device != nullptr) device->flash.clear_stuck_cells();
        return device != nullptr;
    });
}

VCAM_API size_t vcam_call_count(void) {
    return query<size_t>(0, [](Library& library) { return library.log.size(); });
}

VCAM_API int vcam_call_at(size_t index, vcam_call* out) {
    return run_control([&](Library& library, std::string& error) {
        if (out == nullptr || !library.log.at(index, *out)) error = "no call log entry at that index";
        return error.empty();
    });
}

VCAM_API size_t vcam_count_calls(const char* function) {
    return query<size_t>(0, [&](Library& library) {
        return function == nullptr ? size_t{0} : library.log.count(function);
    });
}

VCAM_API void vcam_clear_call_log(void) {
    (void)run_control([](Library& library, std::string&) {
        library.log.clear();
        return true;
    });
}

VCAM_API size_t vcam_contract_violation_count(void) {
    return query<size_t>(0, [](Library& library) { return library.violations.count(); });
}

VCAM_API int vcam_contract_violation_at(size_t index, vcam_violation* out) {
    return run_control([&](Library& library, std::string& error) {
        if (out == nullptr || !library.violations.at(index, *out)) error = "no contract violation at that index";
        return error.empty();
    });
}

VCAM_API void vcam_clear_contract_violations(void) {
    (void)run_control([](Library& library, std::string&) {
        library.violations.clear();
        return true;
    });
}

VCAM_API uint32_t vcam_backend_failure_hresult(int backend) {
    return query<uint32_t>(0, [&](Library& library) {
        return valid_backend(backend) ? library.backend(backend).failure_hresult : 0u;
    });
}

VCAM_API size_t vcam_backend_entry_count(int backend) {
    return query<size_t>(0, [&](Library& library) { return visible_entries(library, backend).size(); });
}

VCAM_API int vcam_backend_entry_at(int backend, size_t index, vcam_backend_entry* out) {
    return run_control([&](Library& library, std::string& error) {
        const auto entries = visible_entries(library, backend);
        if (out == nullptr || index >= entries.size()) {
            error = "no back-end entry at that index";
            return false;
        }
        *out = vcam_backend_entry{};
        sonix_virtual::copy_fixed_text(out->friendly_name, entries[index]->friendly_name);
        sonix_virtual::copy_fixed_text(out->description, entries[index]->description);
        sonix_virtual::copy_fixed_text(out->device_path, entries[index]->device_path);
        out->binds = entries[index]->binds ? 1 : 0;
        return true;
    });
}

}  // extern "C"
