// Throughput of the JSON minifier over a realistic 64 KiB calibration
// document: nested objects, arrays of numbers and escaped strings, pretty
// printed the way a calibration tool writes it.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "velmora/uvc_stereo/json.hpp"

namespace {

constexpr std::size_t kDocumentSize = 64 * 1024;
constexpr int kMatrixSide = 3;
constexpr int kDistortionTerms = 8;

void append_number_array(std::string& out, int count, int seed, const char* indent) {
    out += "[\n";
    for (int i = 0; i < count; ++i) {
        out += indent;
        out += "  " + std::to_string(-1.0 + 0.000137 * ((seed * 7919 + i * 104729) % 20000));
        out += (i + 1 < count) ? ",\n" : "\n";
    }
    out += indent;
    out += "]";
}

void append_camera(std::string& out, int index) {
    out += "    {\n";
    out += "      \"name\": \"sensor \\\"" + std::to_string(index) + "\\\" \\u00b5m\\tpitch\",\n";
    out += "      \"path\": \"C:\\\\calib\\\\run_" + std::to_string(index) + "\\\\out.json\",\n";
    out += "      \"resolution\": { \"width\": 1280, \"height\": 720 },\n";
    out += "      \"intrinsics\": {\n        \"matrix\": ";
    append_number_array(out, kMatrixSide * kMatrixSide, index, "        ");
    out += ",\n        \"distortion\": ";
    append_number_array(out, kDistortionTerms, index + 1, "        ");
    out += "\n      },\n      \"extrinsics\": { \"rotation\": ";
    append_number_array(out, kMatrixSide * kMatrixSide, index + 2, "        ");
    out += ", \"translation\": [ 0.0601, -1.2e-4, 3.5E-5 ] },\n";
    out += "      \"valid\": true, \"note\": null\n    }";
}

// Cameras are added until the next one would pass 64 KiB; the rest is padded
// with indentation, which the minifier must also skip.
std::string calibration_document() {
    std::string doc = "{\n  \"format\": 3,\n  \"device\": { \"serial\": \"SN-0042\\/A\", \"fw\": \"1.2.3\" },\n";
    doc += "  \"cameras\": [\n";
    std::string camera;
    for (int index = 0;; ++index) {
        camera.clear();
        append_camera(camera, index);
        const std::string closing = "\n  ]\n}\n";
        if (doc.size() + camera.size() + 2 + closing.size() > kDocumentSize) {
            doc += closing;
            break;
        }
        if (index > 0) doc += ",\n";
        doc += camera;
    }
    doc.insert(doc.size() - 1, kDocumentSize - doc.size(), ' ');
    return doc;
}

void BM_MinifyCalibrationDocument(benchmark::State& state) {
    const std::string document = calibration_document();
    if (!velmora::uvc_stereo::minify_and_validate_json(document).ok()) {
        state.SkipWithError("benchmark document is not valid JSON");
        return;
    }
    for (auto _ : state) {
        auto result = velmora::uvc_stereo::minify_and_validate_json(document);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document.size()));
    state.counters["document_bytes"] = static_cast<double>(document.size());
}

BENCHMARK(BM_MinifyCalibrationDocument);

}  // namespace
