// Control functions for scenarios, run-time devices, faults and latencies.
#include <fstream>
#include <sstream>

#include "control_support.hpp"
#include "device_parser.hpp"
#include "scenario_parser.hpp"
#include "sonix_virtual/vcam_control.h"
#include "vendor_functions.hpp"

namespace sonix_virtual {
namespace {

thread_local std::string t_last_error;

}  // namespace

void set_last_error(std::string text) { t_last_error = std::move(text); }

DeviceState* named_device(Library& library, const char* device_id, std::string& error) {
    if (device_id == nullptr) {
        error = "device id is null";
        return nullptr;
    }
    DeviceState* device = library.find_by_id(device_id);
    if (device == nullptr) error = std::string("unknown device \"") + device_id + "\"";
    return device;
}

}  // namespace sonix_virtual

using sonix_virtual::DeviceState;
using sonix_virtual::Library;
using sonix_virtual::run_control;

extern "C" {

VCAM_API int vcam_load_scenario_json(const char* json_text) {
    return run_control([&](Library& library, std::string& error) {
        if (json_text == nullptr) {
            error = "scenario text is null";
            return false;
        }
        return library.load_text(json_text, error);
    });
}

VCAM_API int vcam_load_scenario_file(const char* path) {
    return run_control([&](Library& library, std::string& error) {
        std::ifstream file(path == nullptr ? "" : path, std::ios::binary);
        if (!file) {
            error = std::string("cannot open scenario file \"") + (path == nullptr ? "" : path) + "\"";
            return false;
        }
        std::ostringstream text;
        text << file.rdbuf();
        if (library.load_text(text.str(), error)) return true;
        error = std::string(path) + ": " + error;
        return false;
    });
}

VCAM_API void vcam_load_default_scenario(void) {
    (void)run_control([](Library& library, std::string& error) {
        return library.load_text(sonix_virtual::default_scenario_text(), error);
    });
}

VCAM_API const char* vcam_default_scenario_json(void) { return sonix_virtual::default_scenario_text(); }

VCAM_API const char* vcam_last_error(void) { return sonix_virtual::t_last_error.c_str(); }

VCAM_API int vcam_reload_from_environment(void) {
    return run_control([](Library& library, std::string& error) { return library.load_environment(error); });
}

VCAM_API int vcam_attach_device_json(const char* device_json) {
    return run_control([&](Library& library, std::string& error) {
        sonix_virtual::DeviceSpec setup;
        if (device_json == nullptr || !sonix_virtual::parse_device_text(device_json, setup, error)) {
            if (device_json == nullptr) error = "device text is null";
            return false;
        }
        setup.attached = true;
        return library.add_device(std::move(setup), device_json, error);
    });
}

VCAM_API int vcam_detach_device(const char* device_id) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device != nullptr) library.detach(*device);
        return device != nullptr;
    });
}

VCAM_API int vcam_reattach_device(const char* device_id) {
    return run_control([&](Library& library, std::string& error) {
        DeviceState* device = sonix_virtual::named_device(library, device_id, error);
        if (device != nullptr) device->attached = true;
        return device != nullptr;
    });
}

VCAM_API int vcam_update_device_json(const char* device_id, const char* fields_json) {
    return run_control([&](Library& library, std::string& error) {
        if (device_id == nullptr || fields_json == nullptr) {
            error = "device id or fields text is null";
            return false;
        }
        return library.update_device(device_id, fields_json, error);
    });
}

VCAM_API int vcam_fail_call(const char* function, unsigned nth, int vendor_code) {
    return run_control([&](Library& library, std::string& error) {
        const std::string name = function == nullptr ? std::string() : function;
        if (name != sonix_virtual::kAnyFunction && !sonix_virtual::is_vendor_function(name)) {
            error = "unknown vendor function \"" + name + "\"";
            return false;
        }
        if (nth == 0) {
            error = "nth counts from 1";
            return false;
        }
        library.faults.arm({name, nth, vendor_code, std::string()});
        return true;
    });
}

VCAM_API int vcam_detach_at_call(const char* device_id, const char* function, unsigned nth) {
    return run_control([&](Library& library, std::string& error) {
        const std::string name = function == nullptr ? std::string() : function;
        if (sonix_virtual::named_device(library, device_id, error) == nullptr) return false;
        if ((name != sonix_virtual::kAnyFunction && !sonix_virtual::is_vendor_function(name)) || nth == 0) {
            error = "needs a vendor function name and nth of at least 1";
            return false;
        }
        library.faults.arm({name, nth, 0, device_id});
        return true;
    });
}

VCAM_API int vcam_garble_call(const char* function, unsigned nth) {
    return run_control([&](Library& library, std::string& error) {
        const std::string name = function == nullptr ? std::string() : function;
        if (!sonix_virtual::hands_back_data(name) || nth == 0) {
            error = "needs SonixCam_XuRead or SonixCam_CstmReadFromSF and nth of at least 1";
            return false;
        }
        sonix_virtual::FaultSpec fault{name, nth, 0, std::string()};
        fault.garble = true;
        library.faults.arm(std::move(fault));
        return true;
    });
}

VCAM_API void vcam_clear_faults(void) {
    (void)run_control([](Library& library, std::string&) {
        library.faults.clear();
        return true;
    });
}

VCAM_API void vcam_set_latency_us(const char* function, unsigned microseconds) {
    (void)run_control([&](Library& library, std::string& error) {
        const std::string name = function == nullptr ? std::string(sonix_virtual::kAnyFunction) : function;
        if (name != sonix_virtual::kAnyFunction && !sonix_virtual::is_vendor_function(name)) {
            error = "unknown vendor function \"" + name + "\"";
            return false;
        }
        library.set_latency_us(name, microseconds);
        return true;
    });
}

}  // extern "C"
