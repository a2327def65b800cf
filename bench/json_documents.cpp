// Deterministic JSON documents for the minifier benchmarks.
#include "json_documents.hpp"

#include <cstdint>
#include <utility>

namespace velmora::bench {
namespace {

constexpr std::size_t kKiB = 1024;
constexpr int kMatrixSide = 3;
constexpr int kDistortionTerms = 8;

// How a pretty-printer laid the document out.
struct Layout {
    std::string indent_unit;
    std::string newline;
    bool blank_line_between_cameras;
};

class CalibrationWriter {
public:
    explicit CalibrationWriter(Layout layout) : layout_(std::move(layout)) {}

    std::string indent(int depth) const {
        std::string out;
        for (int i = 0; i < depth; ++i) out += layout_.indent_unit;
        return out;
    }
    const std::string& newline() const { return layout_.newline; }

    // A bracketed column of numbers; the opening bracket follows its key on
    // the key's line, the closing one stands at `depth`.
    void number_array(std::string& out, int count, int seed, int depth) const {
        out += "[" + newline();
        for (int i = 0; i < count; ++i) {
            out += indent(depth + 1);
            out += std::to_string(-1.0 + 0.000137 * ((seed * 7919 + i * 104729) % 20000));
            out += (i + 1 < count) ? "," + newline() : newline();
        }
        out += indent(depth) + "]";
    }

    std::string camera(int index) const {
        const std::string nl = newline();
        std::string out = indent(2) + "{" + nl;
        out += indent(3) + "\"name\": \"sensor \\\"" + std::to_string(index) + "\\\" \\u00b5m\\tpitch\"," + nl;
        out += indent(3) + "\"path\": \"C:\\\\calib\\\\run_" + std::to_string(index) + "\\\\out.json\"," + nl;
        out += indent(3) + "\"resolution\": { \"width\": 1280, \"height\": 720 }," + nl;
        out += indent(3) + "\"intrinsics\": {" + nl + indent(4) + "\"matrix\": ";
        number_array(out, kMatrixSide * kMatrixSide, index, 4);
        out += "," + nl + indent(4) + "\"distortion\": ";
        number_array(out, kDistortionTerms, index + 1, 4);
        out += nl + indent(3) + "}," + nl + indent(3) + "\"extrinsics\": { \"rotation\": ";
        number_array(out, kMatrixSide * kMatrixSide, index + 2, 4);
        out += ", \"translation\": [ 0.0601, -1.2e-4, 3.5E-5 ] }," + nl;
        out += indent(3) + "\"valid\": true, \"note\": null" + nl + indent(2) + "}";
        return out;
    }

    // Cameras are added until the next one would pass `size`; the rest is
    // padded with spaces before the final line end.
    std::string document(std::size_t size) const {
        const std::string nl = newline();
        std::string doc = "{" + nl + indent(1) + "\"format\": 3," + nl + indent(1) +
                          "\"device\": { \"serial\": \"SN-0042\\/A\", \"fw\": \"1.2.3\" }," + nl;
        doc += indent(1) + "\"cameras\": [" + nl;
        const std::string separator = layout_.blank_line_between_cameras ? "," + nl + nl : "," + nl;
        const std::string closing = nl + indent(1) + "]" + nl + "}" + nl;
        for (int index = 0;; ++index) {
            const std::string next = camera(index);
            if (doc.size() + next.size() + separator.size() + closing.size() > size) break;
            if (index > 0) doc += separator;
            doc += next;
        }
        doc += closing;
        doc.insert(doc.size() - nl.size(), size - doc.size(), ' ');
        return doc;
    }

private:
    Layout layout_;
};

// A small linear congruential generator: the same sequence on every platform.
class Lcg {
public:
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    std::uint32_t state_ = 12345;
};

std::string long_string_value(Lcg& random, bool blob) {
    static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    static const char* const kWords[] = {"lens", "focal", "baseline", "rectified", "sensor", "pitch",
                                         "\xC2\xB5m", "caf\xC3\xA9", "temperature", "drift"};
    const std::size_t length = kKiB + random.next() % (2 * kKiB);
    std::string out = "\"";
    while (out.size() < length) {
        if (blob) {
            out += kBase64[random.next() % 64];
        } else {
            out += kWords[random.next() % (sizeof(kWords) / sizeof(kWords[0]))];
            out += ' ';
        }
        // A rare escape, as a note would carry a line break or a quote.
        if (random.next() % 700 == 0) out += blob ? "\\/" : "\\n";
    }
    return out + "\"";
}

}  // namespace

std::string calibration_document(std::size_t size) {
    return CalibrationWriter(Layout{"  ", "\n", false}).document(size);
}

std::string whitespace_heavy_document(std::size_t size) {
    return CalibrationWriter(Layout{"        ", "\r\n", true}).document(size);
}

std::string string_heavy_document(std::size_t size) {
    Lcg random;
    std::string doc = "{\"notes\":[";
    for (int index = 0;; ++index) {
        const std::string entry = "{\"id\":" + std::to_string(index) +
                                  ",\"text\":" + long_string_value(random, false) +
                                  ",\"blob\":" + long_string_value(random, true) + "}";
        if (doc.size() + entry.size() + 3 > size) break;
        if (index > 0) doc += ",";
        doc += entry;
    }
    doc += "]}";
    doc.append(size - doc.size(), ' ');
    return doc;
}

std::vector<NamedDocument> benchmark_documents() {
    return {
        {"calibration_64KiB", calibration_document(64 * kKiB)},
        {"calibration_4KiB", calibration_document(4 * kKiB)},
        {"whitespace_heavy_64KiB", whitespace_heavy_document(64 * kKiB)},
        {"string_heavy_64KiB", string_heavy_document(64 * kKiB)},
        {"calibration_1MiB", calibration_document(1024 * kKiB)},
    };
}

}  // namespace velmora::bench
