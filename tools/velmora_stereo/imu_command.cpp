// The imu command: read samples for a count or a duration and show them.
#include <chrono>
#include <optional>
#include <string>
#include <ostream>

#include "commands.hpp"
#include "error_report.hpp"
#include "imu_format.hpp"
#include "open_camera.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr unsigned long long kDefaultSampleCount = 10;

// How long to read: a number of samples or a duration.
struct ImuPlan {
    unsigned long long count = kDefaultSampleCount;
    std::optional<double> seconds;
    ImuFormat format = ImuFormat::Table;
};

// Empty when the options make a plan; otherwise the usage error.
std::string make_plan(const ParsedOptions& options, ImuPlan& plan) {
    if (options.has("count") && options.has("seconds")) return "give either --count or --seconds, not both";
    if (options.has("csv") && options.has("jsonl")) return "give either --csv or --jsonl, not both";
    if (const auto count = options.value("count")) {
        const auto parsed = parse_unsigned(*count);
        if (!parsed || *parsed == 0) return "--count needs a whole number above 0 (got '" + *count + "')";
        plan.count = *parsed;
    }
    if (const auto seconds = options.value("seconds")) {
        plan.seconds = parse_positive_seconds(*seconds);
        if (!plan.seconds) return "--seconds needs a number of seconds above 0 (got '" + *seconds + "')";
    }
    if (options.has("csv")) plan.format = ImuFormat::Csv;
    if (options.has("jsonl")) plan.format = ImuFormat::JsonLines;
    return {};
}

class ReadLoop {
public:
    explicit ReadLoop(const ImuPlan& plan) : plan_(plan), start_(std::chrono::steady_clock::now()) {}

    bool more(std::size_t done) const {
        if (!plan_.seconds) return done < plan_.count;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
        return elapsed.count() < *plan_.seconds;
    }

private:
    const ImuPlan& plan_;
    std::chrono::steady_clock::time_point start_;
};

// Reads and prints samples; returns the failure that stopped the loop, if any.
uvc::Status read_samples(uvc::Device& device, const ImuPlan& plan, const ToolContext& context) {
    ImuSampleWriter writer(plan.format, context.out);
    writer.begin();
    std::uint64_t first_ns = 0;
    std::uint64_t last_ns = 0;
    std::size_t done = 0;
    for (const ReadLoop loop(plan); loop.more(done); ++done) {
        const auto raw = device.read_imu();
        if (!raw.ok()) return raw.status();
        const auto converted = device.convert_imu(raw.value());
        if (!converted.ok()) return converted.status();
        writer.write(done, raw.value(), converted.value());
        if (done == 0) first_ns = raw.value().timestamp_ns;
        last_ns = raw.value().timestamp_ns;
    }
    // Keep standard output pure data for the machine formats.
    std::ostream& summary = plan.format == ImuFormat::Table ? context.out : context.err;
    summary << format_sample_rate(done, first_ns, last_ns) << '\n';
    return {};
}

}  // namespace

int run_imu(const ToolContext& context) {
    ImuPlan plan;
    if (const auto problem = make_plan(context.options, plan); !problem.empty()) {
        return report_usage_error(problem, find_command("imu"), context.err);
    }
    auto camera = open_selected_camera(context, "imu", 0, kRequireNothing);
    if (!camera.device) return camera.exit_code;
    uvc::Device& device = *camera.device;
    if (const auto opened = device.open_imu(); !opened.ok()) return report_failure(opened, context.err);
    const uvc::Status outcome = read_samples(device, plan, context);
    const uvc::Status closed = device.close_imu();
    if (!outcome.ok()) return report_failure(outcome, context.err);
    if (!closed.ok()) return report_failure(closed, context.err);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
