// Tests of the small SVG drawing module: tick values, decimation, histogram
// bins and the elements the report's checks look for.
#include "reports/svg_plot.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace velmora::stereo_tool {
namespace {

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(NiceTicks, CoverTheRangeWithRoundSteps) {
    struct Row {
        double low;
        double high;
        std::vector<double> ticks;
    };
    const std::vector<Row> rows = {
        {0, 10, {0, 2, 4, 6, 8, 10}},
        {-1.3, 2.7, {-2, -1, 0, 1, 2, 3}},
        {0.001, 0.0049, {0.001, 0.002, 0.003, 0.004, 0.005}},
        {5, 5, {4.4, 4.6, 4.8, 5, 5.2, 5.4, 5.6}},  // a flat line gets a range around it
        {0, 0, {-0.1, -0.05, 0, 0.05, 0.1}},
        {10, 0, {0, 2, 4, 6, 8, 10}},  // given backwards
        {31.5, 31.5, {28, 30, 32, 34, 36}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.low) + " .. " + std::to_string(row.high));
        const auto ticks = nice_ticks(row.low, row.high, 6);
        ASSERT_EQ(ticks.size(), row.ticks.size());
        for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], row.ticks[i], 1e-12);
        // Covered up to rounding of the last bit.
        const double slack = 1e-12 * std::max(1.0, std::abs(row.high - row.low));
        EXPECT_LE(ticks.front(), std::min(row.low, row.high) + slack);
        EXPECT_GE(ticks.back(), std::max(row.low, row.high) - slack);
    }
}

TEST(Decimation, KeepsTheExtremesOfEverySlice) {
    PlotSeries series{"k", "K", "#000", {}, {}};
    for (int i = 0; i < 10000; ++i) {
        series.x.push_back(i);
        series.y.push_back(i == 7777 ? 100.0 : i == 3333 ? -100.0 : std::sin(i * 0.01));
    }
    const PlotSeries reduced = decimate_series(series, 400);
    EXPECT_LE(reduced.x.size(), 400u);
    EXPECT_GE(reduced.x.size(), 200u);
    EXPECT_EQ(*std::max_element(reduced.y.begin(), reduced.y.end()), 100.0);
    EXPECT_EQ(*std::min_element(reduced.y.begin(), reduced.y.end()), -100.0);
    EXPECT_TRUE(std::is_sorted(reduced.x.begin(), reduced.x.end())) << "points stay in order";

    series.x.resize(400);
    series.y.resize(400);
    EXPECT_EQ(decimate_series(series, 400).y, series.y) << "a short series is drawn whole";
}

TEST(Histogram, BinsCoverTheValuesAndCountEachOnce) {
    struct Row {
        const char* label;
        std::vector<double> values;
        std::size_t bins;
        std::vector<std::size_t> counts;
    };
    const std::vector<Row> rows = {
        {"even spread", {0, 1, 2, 3}, 2, {2, 2}},
        {"the maximum falls into the last bin", {0, 10}, 5, {1, 0, 0, 0, 1}},
        {"all equal: one bin", {4, 4, 4}, 10, {3}},
        {"not-a-number is left out", {0, NAN, 1}, 1, {2}},
        {"nothing", {}, 4, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const auto bins = histogram_bins(row.values, row.bins);
        std::vector<std::size_t> counts;
        for (const auto& bin : bins) counts.push_back(bin.count);
        EXPECT_EQ(counts, row.counts);
    }
}

TEST(Charts, DrawOnePolylinePerSeriesWithItsPoints) {
    const std::vector<PlotSeries> series = {{"a", "A & B", "#d62728", {0, 1, 2}, {1, 2, 3}},
                                            {"b", "<b>", "#2ca02c", {0, 1, 2}, {3, NAN, 1}}};
    const std::string svg = line_chart_svg({"Title \"q\"", "x", "y"}, series);
    EXPECT_EQ(count_of(svg, "<polyline class=\"series\""), 2u);
    const std::regex points("data-series=\"b\"[^>]*points=\"([^\"]*)\"");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(svg, match, points));
    EXPECT_EQ(count_of(match[1].str(), ",") , 2u) << "the point without a value is left out";
    EXPECT_NE(svg.find("A &amp; B"), std::string::npos);
    EXPECT_NE(svg.find("&lt;b&gt;"), std::string::npos);
    EXPECT_NE(svg.find("aria-label=\"Title &quot;q&quot;\""), std::string::npos);
    EXPECT_EQ(svg.find("NaN"), std::string::npos);

    const std::string bars = histogram_svg({"H", "x", "n"}, histogram_bins({1, 2, 2, 3}, 3), "#9467bd");
    EXPECT_EQ(count_of(bars, "<rect class=\"bar\""), 3u);
    EXPECT_NE(bars.find("data-count=\"2\""), std::string::npos);
}

}  // namespace
}  // namespace velmora::stereo_tool
