// Scenario installation, device bookkeeping and handle allocation of the virtual library.
#include "library_state.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "device_parser.hpp"
#include "json_fields.hpp"
#include "scenario_parser.hpp"
#include "vendor_functions.hpp"

namespace sonix_virtual {
namespace {

constexpr const char* kScenarioVariable = "VCAM_SCENARIO";
constexpr int kDirectShowBackend = 1;

std::optional<ImuSource> make_imu(const DeviceSpec& setup) {
    if (!setup.imu) return std::nullopt;
    return ImuSource(*setup.imu);
}

bool read_file(const std::string& path, std::string& text, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open scenario file \"" + path + "\"";
        return false;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    text = contents.str();
    return true;
}

}  // namespace

DeviceState::DeviceState(DeviceSpec device_spec, std::string source, std::uint16_t attachment_handle)
    : setup(std::move(device_spec)),
      flash(setup.flash),
      imu(make_imu(setup)),
      source_json(std::move(source)),
      handle(attachment_handle),
      attached(setup.attached) {
    setup.flash.contents.clear();  // the live bytes are the flash's own
    setup.flash.contents.shrink_to_fit();
}

Library& Library::instance() {
    static Library* library = new Library();
    return *library;
}

void Library::ensure_loaded() {
    if (loaded_) return;
    std::string error;
    if (!load_environment(error)) {
        std::fprintf(stderr, "virtual camera: %s; starting without devices\n", error.c_str());
        install(Scenario{});
    }
}

bool Library::load_environment(std::string& error) {
    const char* path = std::getenv(kScenarioVariable);
    if (path == nullptr || *path == '\0') return load_text(default_scenario_text(), error);
    std::string text;
    if (!read_file(path, text, error)) return false;
    if (load_text(text, error)) return true;
    error = std::string(path) + ": " + error;
    return false;
}

bool Library::load_text(const std::string& text, std::string& error) {
    Scenario scenario;
    if (!parse_scenario(text, scenario, error)) return false;
    install(std::move(scenario));
    return true;
}

void Library::install(Scenario scenario) {
    loaded_ = true;
    behaviour_ = scenario.library;
    devices_.clear();
    for (std::size_t i = 0; i < scenario.devices.size(); ++i) {
        const std::uint16_t handle = allocate_handle();
        devices_.push_back(std::make_unique<DeviceState>(std::move(scenario.devices[i]),
                                                         std::move(scenario.device_sources[i]), handle));
    }
    msmf_ = std::move(scenario.msmf);
    dshow_ = std::move(scenario.dshow);
    latency_us_ = std::move(scenario.latency_us);
    faults.clear();
    for (FaultSpec& fault : scenario.faults) faults.arm(std::move(fault));
    log.clear();
    init_depth = 0;
    library_error = 0;
}

std::uint16_t Library::allocate_handle() {
    // Handles are never reused while a device holds them, nor soon after: a
    // record kept from an earlier scenario must not address a new device.
    for (;;) {
        const std::uint16_t candidate = next_handle_++;
        if (next_handle_ == 0) next_handle_ = 1;
        if (candidate != 0 && find_by_handle(candidate) == nullptr) return candidate;
    }
}

DeviceState* Library::find_by_handle(std::uint16_t handle) {
    for (const auto& device : devices_) {
        if (device->handle == handle) return device.get();
    }
    return nullptr;
}

DeviceState* Library::find_by_id(const std::string& id) {
    for (const auto& device : devices_) {
        if (device->setup.id == id) return device.get();
    }
    return nullptr;
}

bool Library::add_device(DeviceSpec setup, std::string source, std::string& error) {
    if (find_by_id(setup.id) != nullptr) {
        error = "device \"" + setup.id + "\" already exists (use vcam_reattach_device or vcam_update_device_json)";
        return false;
    }
    const std::uint16_t handle = allocate_handle();
    devices_.push_back(std::make_unique<DeviceState>(std::move(setup), std::move(source), handle));
    return true;
}

bool Library::update_device(const std::string& id, const std::string& fields_json, std::string& error) {
    DeviceState* device = find_by_id(id);
    if (device == nullptr) {
        error = "unknown device \"" + id + "\"";
        return false;
    }
    Json merged = Json::parse(device->source_json);
    Json fields;
    try {
        fields = Json::parse(fields_json);
    } catch (const Json::parse_error& e) {
        error = std::string("fields are not valid JSON: ") + e.what();
        return false;
    }
    if (!fields.is_object()) {
        error = "fields: expected an object";
        return false;
    }
    if (fields.contains("id") && fields.at("id") != merged.at("id")) {
        error = "fields.id: a device keeps its id";
        return false;
    }
    merged.update(fields);
    DeviceSpec setup;
    if (!parse_device_text(merged.dump(), setup, error)) return false;
    if (fields.contains("flash")) device->flash = NorFlash(setup.flash);
    if (fields.contains("imu") || fields.contains("capability")) device->imu = make_imu(setup);
    if (fields.contains("attached")) device->attached = setup.attached;
    setup.flash.contents.clear();
    device->setup = std::move(setup);
    device->source_json = merged.dump();
    if (!device->attached) device->selected_nodes.clear();
    return true;
}

void Library::detach(DeviceState& device) {
    device.attached = false;
    device.selected_nodes.clear();
}

std::size_t Library::attached_count() const {
    std::size_t count = 0;
    for (const auto& device : devices_) count += device->attached ? 1 : 0;
    return count;
}

const BackendSpec& Library::backend(int which) const { return which == kDirectShowBackend ? dshow_ : msmf_; }

bool Library::backend_entry_visible(const BackendEntrySpec& entry) {
    if (entry.device_id.empty()) return true;
    const DeviceState* device = find_by_id(entry.device_id);
    return device != nullptr && device->attached;
}

std::uint32_t Library::latency_us(const std::string& function) const {
    auto it = latency_us_.find(function);
    if (it == latency_us_.end()) it = latency_us_.find(std::string(kAnyFunction));
    return it == latency_us_.end() ? 0 : it->second;
}

void Library::set_latency_us(const std::string& function, std::uint32_t microseconds) {
    latency_us_[function] = microseconds;
}

}  // namespace sonix_virtual
