// Flash contents, capability report and IMU control of a scenario device.
#include "device_sections.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "flash_record_writer.hpp"

namespace sonix_virtual {
namespace {

constexpr std::uint64_t kMaxFlashSize = 64ull * 1024 * 1024;
constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::size_t kImuModelSize = 8;
constexpr std::uint64_t kMaxExtraBits = 0xFF;
constexpr std::uint64_t kMaxPeriod = 1000000;
constexpr std::int64_t kInt16Min = -32768;
constexpr std::int64_t kInt16Max = 32767;
constexpr double kMaxSampleRateHz = 1e6;

std::string record_payload(const Json& block, const std::string& path) {
    if (block.contains("json_document")) return block.at("json_document").dump();
    return read_string(block.at("json_text"), child_path(path, "json_text"));
}

std::vector<std::uint8_t> block_bytes(const Json& block, const std::string& path) {
    const int kinds = static_cast<int>(block.contains("hex")) + static_cast<int>(block.contains("json_document")) +
                      static_cast<int>(block.contains("json_text"));
    if (kinds != 1) fail_at(path, "a block needs exactly one of \"hex\", \"json_document\" or \"json_text\"");
    if (block.contains("hex")) {
        if (block.contains("record_version")) fail_at(child_path(path, "record_version"), "only for JSON blocks");
        return read_hex(block.at("hex"), child_path(path, "hex"));
    }
    std::uint16_t version = 0;
    if (block.contains("record_version")) {
        version = read_unsigned_as<std::uint16_t>(block.at("record_version"), child_path(path, "record_version"));
    }
    return build_flash_record(record_payload(block, path), version);
}

void place_blocks(const Json& blocks, const std::string& path, FlashSpec& flash) {
    if (!blocks.is_array()) fail_at(path, "expected an array of blocks");
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::string block_path = index_path(path, i);
        const Json& block = blocks[i];
        require_object(block, block_path, {"address", "hex", "json_document", "json_text", "record_version"});
        if (!block.contains("address")) fail_at(block_path, "missing \"address\"");
        const auto address = read_unsigned_as<std::uint32_t>(block.at("address"), child_path(block_path, "address"));
        const std::vector<std::uint8_t> bytes = block_bytes(block, block_path);
        if (static_cast<std::uint64_t>(address) + bytes.size() > flash.size) {
            fail_at(block_path, "block of " + std::to_string(bytes.size()) + " bytes does not fit in the flash");
        }
        std::copy(bytes.begin(), bytes.end(), flash.contents.begin() + address);
    }
}

void place_stuck_cells(const Json& cells, const std::string& path, FlashSpec& flash) {
    if (!cells.is_array()) fail_at(path, "expected an array");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string cell_path = index_path(path, i);
        require_object(cells[i], cell_path, {"address", "value"});
        if (!cells[i].contains("address") || !cells[i].contains("value")) fail_at(cell_path, "needs address and value");
        const auto address = read_unsigned_as<std::uint32_t>(cells[i].at("address"), child_path(cell_path, "address"));
        if (address >= flash.size) fail_at(cell_path, "address lies outside the flash");
        flash.stuck_cells[address] = read_unsigned_as<std::uint8_t>(cells[i].at("value"), child_path(cell_path, "value"));
    }
}

CapabilityFields::Imu parse_capability_imu(const Json& imu, const std::string& path) {
    require_object(imu, path, {"model", "unit", "selector", "length", "exponent", "temperature_offset",
                               "temperature_scale", "accel_scale", "gyro_scale"});
    CapabilityFields::Imu out;
    if (imu.contains("model")) out.model = read_string(imu.at("model"), child_path(path, "model"));
    if (out.model.size() > kImuModelSize) fail_at(child_path(path, "model"), "at most 8 characters");
    const auto u8 = [&](const char* key, std::uint8_t fallback) {
        return imu.contains(key) ? read_unsigned_as<std::uint8_t>(imu.at(key), child_path(path, key)) : fallback;
    };
    const auto u16 = [&](const char* key) {
        if (!imu.contains(key)) fail_at(child_path(path, key), "missing (raw counts as stored in the report)");
        return read_unsigned_as<std::uint16_t>(imu.at(key), child_path(path, key));
    };
    out.unit = u8("unit", kDefaultImuNode);
    out.selector = u8("selector", kDefaultImuSelector);
    out.length = u8("length", kDefaultImuLength);
    out.exponent = u8("exponent", 1);
    if (imu.contains("temperature_offset")) {
        out.temperature_offset = static_cast<std::int16_t>(
            read_signed(imu.at("temperature_offset"), child_path(path, "temperature_offset"), kInt16Min, kInt16Max));
    }
    out.temperature_scale = u16("temperature_scale");
    out.accel_scale = u16("accel_scale");
    out.gyro_scale = u16("gyro_scale");
    return out;
}

CapabilityFields parse_capability_fields(const Json& value, const std::string& path) {
    require_object(value, path, {"flash", "imu", "minor_version", "extra_bits"});
    CapabilityFields fields;
    if (value.contains("minor_version")) {
        fields.minor_version = read_unsigned_as<std::uint8_t>(value.at("minor_version"), child_path(path, "minor_version"));
    }
    if (value.contains("extra_bits")) {
        fields.extra_bits = read_unsigned(value.at("extra_bits"), child_path(path, "extra_bits"), kMaxExtraBits);
    }
    if (value.contains("flash")) {
        const std::string flash_path = child_path(path, "flash");
        const Json& flash = value.at("flash");
        require_object(flash, flash_path, {"address", "size"});
        if (!flash.contains("address") || !flash.contains("size")) fail_at(flash_path, "needs address and size");
        fields.flash = CapabilityFields::Flash{
            read_unsigned_as<std::uint32_t>(flash.at("address"), child_path(flash_path, "address")),
            read_unsigned_as<std::uint32_t>(flash.at("size"), child_path(flash_path, "size"))};
    }
    if (value.contains("imu")) fields.imu = parse_capability_imu(value.at("imu"), child_path(path, "imu"));
    return fields;
}

ImuGenerator parse_generator(const Json& value, const std::string& path) {
    require_object(value, path, {"kind", "period_samples", "accel_amplitude", "gyro_amplitude", "gravity",
                                 "temperature", "counter_start", "counter_step", "init_failures",
                                 "read_failure_every"});
    ImuGenerator g;
    if (value.contains("kind")) {
        const std::string kind = read_string(value.at("kind"), child_path(path, "kind"));
        if (kind == "ramp") g.kind = ImuGenerator::Kind::ramp;
        else if (kind != "sine") fail_at(child_path(path, "kind"), "expected \"sine\" or \"ramp\"");
    }
    const auto u32 = [&](const char* key, std::uint32_t& out, std::uint64_t max) {
        if (value.contains(key)) out = static_cast<std::uint32_t>(read_unsigned(value.at(key), child_path(path, key), max));
    };
    const auto i16 = [&](const char* key, std::int32_t& out) {
        if (value.contains(key)) out = static_cast<std::int32_t>(read_signed(value.at(key), child_path(path, key), kInt16Min, kInt16Max));
    };
    u32("period_samples", g.period_samples, kMaxPeriod);
    if (g.period_samples == 0) fail_at(child_path(path, "period_samples"), "must be at least 1");
    i16("accel_amplitude", g.accel_amplitude);
    i16("gyro_amplitude", g.gyro_amplitude);
    i16("gravity", g.gravity);
    std::int32_t temperature = g.temperature;
    i16("temperature", temperature);
    g.temperature = static_cast<std::int16_t>(temperature);
    u32("counter_start", g.counter_start, UINT32_MAX);
    u32("counter_step", g.counter_step, UINT32_MAX);
    u32("init_failures", g.init_failures, UINT32_MAX);
    u32("read_failure_every", g.read_failure_every, UINT32_MAX);
    return g;
}

// Samples per second: a JSON number or a decimal text, above 0.
double read_sample_rate(const Json& value, const std::string& path) {
    double rate = 0.0;
    if (value.is_number()) {
        rate = value.get<double>();
    } else if (value.is_string()) {
        const std::string text = value.get<std::string>();
        char* end = nullptr;
        rate = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
        if (end == nullptr || *end != '\0') fail_at(path, "expected a number of samples per second");
    } else {
        fail_at(path, "expected a number of samples per second");
    }
    if (!std::isfinite(rate) || rate <= 0.0 || rate > kMaxSampleRateHz) {
        fail_at(path, "must be above 0 and at most 1000000 samples per second");
    }
    return rate;
}

}  // namespace

FlashSpec parse_flash_section(const Json& value, const std::string& path) {
    require_object(value, path, {"size", "write_protected", "blocks", "stuck_bytes"});
    FlashSpec flash;
    if (value.contains("size")) flash.size = static_cast<std::uint32_t>(read_unsigned(value.at("size"), child_path(path, "size"), kMaxFlashSize));
    if (flash.size == 0 || flash.size % kSectorSize != 0) fail_at(child_path(path, "size"), "must be a non-zero multiple of 4096");
    flash.contents.assign(flash.size, kErasedByte);
    if (value.contains("write_protected")) flash.write_protected = read_bool(value.at("write_protected"), child_path(path, "write_protected"));
    if (value.contains("blocks")) place_blocks(value.at("blocks"), child_path(path, "blocks"), flash);
    if (value.contains("stuck_bytes")) place_stuck_cells(value.at("stuck_bytes"), child_path(path, "stuck_bytes"), flash);
    return flash;
}

CapabilitySection parse_capability_section(const Json& value, const std::string& path) {
    CapabilitySection section;
    if (value.is_string() && value.get<std::string>() == "zeros") return section;
    if (value.is_object() && value.contains("hex")) {
        require_object(value, path, {"hex"});
        const std::vector<std::uint8_t> bytes = read_hex(value.at("hex"), child_path(path, "hex"));
        if (bytes.size() != kCapabilityReportSize) fail_at(child_path(path, "hex"), "a capability report has exactly 64 bytes");
        std::copy(bytes.begin(), bytes.end(), section.bytes.begin());
        return section;
    }
    if (!value.is_object()) fail_at(path, "expected \"zeros\", {\"hex\": ...} or report fields");
    section.fields = parse_capability_fields(value, path);
    section.bytes = encode_capability_report(*section.fields);
    return section;
}

ImuSpec parse_imu_section(const Json& value, const std::string& path, const ImuSpec& defaults) {
    require_object(value, path, {"node", "selector", "length", "samples", "repeat", "generator", "sample_rate_hz"});
    ImuSpec imu = defaults;
    if (value.contains("node")) imu.node = read_unsigned_as<std::uint8_t>(value.at("node"), child_path(path, "node"));
    if (value.contains("selector")) imu.selector = read_unsigned_as<std::uint8_t>(value.at("selector"), child_path(path, "selector"));
    if (value.contains("length")) imu.length = read_unsigned_as<std::uint8_t>(value.at("length"), child_path(path, "length"));
    if (imu.node == 0 || imu.selector == 0) fail_at(path, "node and selector must be non-zero");
    if (imu.length < kMinImuLength) fail_at(child_path(path, "length"), "an IMU payload has at least 17 bytes");
    if (imu.node == kCapabilityNode && imu.selector == kCapabilitySelector) fail_at(path, "node 4 selector 11 is the capability control");
    if (value.contains("repeat")) imu.repeat = read_bool(value.at("repeat"), child_path(path, "repeat"));
    if (value.contains("sample_rate_hz")) {
        imu.sample_rate_hz = read_sample_rate(value.at("sample_rate_hz"), child_path(path, "sample_rate_hz"));
    }
    if (value.contains("samples")) {
        const Json& samples = value.at("samples");
        const std::string samples_path = child_path(path, "samples");
        if (!samples.is_array()) fail_at(samples_path, "expected an array of hex payloads");
        for (std::size_t i = 0; i < samples.size(); ++i) {
            std::vector<std::uint8_t> sample = read_hex(samples[i], index_path(samples_path, i));
            if (sample.empty() || sample.size() > imu.length) fail_at(index_path(samples_path, i), "a payload has 1 to length bytes");
            sample.resize(imu.length, 0);
            imu.samples.push_back(std::move(sample));
        }
    }
    if (value.contains("generator")) imu.generator = parse_generator(value.at("generator"), child_path(path, "generator"));
    if (imu.samples.empty() && !imu.generator) fail_at(path, "needs \"samples\" or a \"generator\"");
    return imu;
}

}  // namespace sonix_virtual
