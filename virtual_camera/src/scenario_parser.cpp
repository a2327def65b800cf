// Scenario top level: library behaviour, devices, video back-end lists, faults and latencies.
#include "scenario_parser.hpp"

#include <algorithm>
#include <initializer_list>
#include <set>
#include <utility>

#include "device_parser.hpp"
#include "json_fields.hpp"
#include "vendor_functions.hpp"

namespace sonix_virtual {
namespace {

constexpr std::size_t kMaxBackendText = 255;
constexpr std::size_t kMaxBackendPath = 511;
constexpr std::uint64_t kMaxLatencyUs = 10'000'000;
constexpr std::int64_t kMaxVendorCode = 0x7FFFFFFF;

// One of a fixed set of words.
template <typename Enum>
Enum read_choice(const Json& value, const std::string& path,
                 std::initializer_list<std::pair<const char*, Enum>> choices) {
    const std::string word = read_string(value, path);
    std::string known;
    for (const auto& choice : choices) {
        if (word == choice.first) return choice.second;
        known += (known.empty() ? "\"" : ", \"") + std::string(choice.first) + "\"";
    }
    fail_at(path, "expected one of " + known);
}

LibrarySpec parse_library(const Json& value, const std::string& path) {
    require_object(value, path,
                   {"init_fails_without_device", "enum_fails_without_device", "error_codes", "enum_beyond_capacity"});
    LibrarySpec library;
    if (value.contains("error_codes")) {
        library.error_codes = read_choice<ErrorCodeScope>(value.at("error_codes"), child_path(path, "error_codes"),
                                                          {{"both", ErrorCodeScope::both},
                                                           {"device", ErrorCodeScope::device_only},
                                                           {"library", ErrorCodeScope::library_only}});
    }
    if (value.contains("enum_beyond_capacity")) {
        library.enum_beyond_capacity = read_choice<EnumOverflow>(
            value.at("enum_beyond_capacity"), child_path(path, "enum_beyond_capacity"),
            {{"clamp", EnumOverflow::clamp}, {"report", EnumOverflow::report}, {"fail", EnumOverflow::fail}});
    }
    if (value.contains("init_fails_without_device")) {
        library.init_fails_without_device = read_bool(value.at("init_fails_without_device"), child_path(path, "init_fails_without_device"));
    }
    if (value.contains("enum_fails_without_device")) {
        library.enum_fails_without_device = read_bool(value.at("enum_fails_without_device"), child_path(path, "enum_fails_without_device"));
    }
    return library;
}

std::string bounded_text(const Json& entry, const char* key, const std::string& path, std::size_t max) {
    if (!entry.contains(key)) return std::string();
    std::string text = read_string(entry.at(key), child_path(path, key));
    if (text.size() > max) fail_at(child_path(path, key), "longer than " + std::to_string(max) + " bytes");
    return text;
}

BackendEntrySpec parse_backend_entry(const Json& entry, const std::string& path) {
    require_object(entry, path, {"friendly_name", "description", "device_path", "symbolic_link", "binds", "device"});
    BackendEntrySpec out;
    out.friendly_name = bounded_text(entry, "friendly_name", path, kMaxBackendText);
    out.description = bounded_text(entry, "description", path, kMaxBackendText);
    out.device_path = entry.contains("symbolic_link") ? bounded_text(entry, "symbolic_link", path, kMaxBackendPath)
                                                      : bounded_text(entry, "device_path", path, kMaxBackendPath);
    if (entry.contains("binds")) out.binds = read_bool(entry.at("binds"), child_path(path, "binds"));
    out.device_id = bounded_text(entry, "device", path, kMaxDeviceIdLength);
    return out;
}

BackendSpec parse_backend(const Json& value, const std::string& path) {
    require_object(value, path, {"failure_hresult", "entries"});
    BackendSpec backend;
    if (value.contains("failure_hresult")) {
        backend.failure_hresult = read_unsigned_as<std::uint32_t>(value.at("failure_hresult"), child_path(path, "failure_hresult"));
    }
    if (value.contains("entries")) {
        const Json& entries = value.at("entries");
        if (!entries.is_array()) fail_at(child_path(path, "entries"), "expected an array");
        for (std::size_t i = 0; i < entries.size(); ++i) {
            backend.entries.push_back(parse_backend_entry(entries[i], index_path(child_path(path, "entries"), i)));
        }
    }
    return backend;
}

FaultSpec parse_fault(const Json& value, const std::string& path) {
    require_object(value, path, {"function", "nth", "vendor_code", "detach", "garble"});
    FaultSpec fault;
    if (!value.contains("function")) fail_at(path, "missing \"function\"");
    fault.function = read_string(value.at("function"), child_path(path, "function"));
    if (fault.function != kAnyFunction && !is_vendor_function(fault.function)) {
        fail_at(child_path(path, "function"), "unknown vendor function \"" + fault.function + "\"");
    }
    if (value.contains("nth")) fault.nth = read_unsigned_as<std::uint32_t>(value.at("nth"), child_path(path, "nth"));
    if (fault.nth == 0) fail_at(child_path(path, "nth"), "counts from 1");
    if (value.contains("detach")) fault.detach_device = read_string(value.at("detach"), child_path(path, "detach"));
    if (value.contains("garble")) fault.garble = read_bool(value.at("garble"), child_path(path, "garble"));
    const int kinds = int{value.contains("vendor_code")} + int{!fault.detach_device.empty()} + int{fault.garble};
    if (kinds != 1) fail_at(path, "needs exactly one of \"vendor_code\", \"detach\" or \"garble\": true");
    if (fault.garble && !hands_back_data(fault.function)) {
        fail_at(child_path(path, "function"), "only SonixCam_XuRead and SonixCam_CstmReadFromSF hand data back");
    }
    if (value.contains("vendor_code")) {
        fault.vendor_code = static_cast<std::int32_t>(read_signed(value.at("vendor_code"), child_path(path, "vendor_code"), 0, kMaxVendorCode));
    }
    return fault;
}

std::map<std::string, std::uint32_t> parse_latency(const Json& value, const std::string& path) {
    if (!value.is_object()) fail_at(path, "expected an object of function names and microseconds");
    std::map<std::string, std::uint32_t> latency;
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (it.key() != kAnyFunction && !is_vendor_function(it.key())) fail_at(child_path(path, it.key()), "unknown vendor function");
        latency[it.key()] = static_cast<std::uint32_t>(read_unsigned(it.value(), child_path(path, it.key()), kMaxLatencyUs));
    }
    return latency;
}

void parse_devices(const Json& devices, Scenario& scenario) {
    if (!devices.is_array()) fail_at("devices", "expected an array");
    std::set<std::string> ids;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        DeviceSpec device = parse_device(devices[i], index_path("devices", i));
        if (!ids.insert(device.id).second) fail_at(index_path("devices", i), "duplicate id \"" + device.id + "\"");
        scenario.devices.push_back(std::move(device));
        scenario.device_sources.push_back(devices[i].dump());
    }
}

Scenario parse_scenario_json(const Json& root) {
    require_object(root, "", {"description", "library", "devices", "backends", "faults", "latency_us"});
    Scenario scenario;
    if (root.contains("library")) scenario.library = parse_library(root.at("library"), "library");
    if (root.contains("devices")) parse_devices(root.at("devices"), scenario);
    if (root.contains("backends")) {
        const Json& backends = root.at("backends");
        require_object(backends, "backends", {"msmf", "dshow"});
        if (backends.contains("msmf")) scenario.msmf = parse_backend(backends.at("msmf"), "backends.msmf");
        if (backends.contains("dshow")) scenario.dshow = parse_backend(backends.at("dshow"), "backends.dshow");
    }
    if (root.contains("faults")) {
        const Json& faults = root.at("faults");
        if (!faults.is_array()) fail_at("faults", "expected an array");
        for (std::size_t i = 0; i < faults.size(); ++i) scenario.faults.push_back(parse_fault(faults[i], index_path("faults", i)));
    }
    for (std::size_t i = 0; i < scenario.faults.size(); ++i) {
        const std::string& target = scenario.faults[i].detach_device;
        bool known = target.empty();
        for (const DeviceSpec& device : scenario.devices) known = known || device.id == target;
        if (!known) fail_at(child_path(index_path("faults", i), "detach"), "no device \"" + target + "\" in this scenario");
    }
    if (root.contains("latency_us")) scenario.latency_us = parse_latency(root.at("latency_us"), "latency_us");
    return scenario;
}

// Where a text stops being JSON, as a person counts: "line 3, column 14".
// byte is the parser's 1-based position of the character it could not take.
std::string place_in_text(const std::string& text, std::size_t byte) {
    const std::size_t end = std::min(byte, text.size() + 1);
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i + 1 < end; ++i) {
        column = text[i] == '\n' ? 1 : column + 1;
        line += text[i] == '\n' ? 1 : 0;
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

bool parse_scenario(const std::string& text, Scenario& out, std::string& error) {
    try {
        out = parse_scenario_json(Json::parse(text));
        return true;
    } catch (const Json::parse_error& e) {
        // The JSON library's own text names its internals; say where the text went wrong.
        error = "scenario is not valid JSON (" + place_in_text(text, e.byte) + ")";
    } catch (const std::exception& e) {
        error = e.what();
    }
    return false;
}

}  // namespace sonix_virtual
