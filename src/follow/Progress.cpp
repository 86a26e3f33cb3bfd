#include "follow/Progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace trv {

namespace {

std::optional<double> SecondsOf(const Stamp& stamp)
{
    if (!stamp.Decoded) return std::nullopt;
    using namespace std::chrono;
    const StampValue& v = stamp.Value;
    const year_month_day date{year(v.year), month(static_cast<unsigned>(v.month)),
                              day(static_cast<unsigned>(v.day))};
    if (!date.ok()) return std::nullopt;
    const auto time = hours(v.hour) + minutes(v.minute) + seconds(v.second) + milliseconds(v.msec);
    return duration<double>(sys_days(date).time_since_epoch() + time).count();
}

// The baseline of an absorption spectrum is its upper level: the lines are dips, and most
// channels lie off them. Its level is the mean of the channels at or above the median, which
// also leaves out channels that lost counts at the ends of the sweep.
double BaselineCounts(const std::vector<std::uint32_t>& counts)
{
    if (counts.empty()) return 0;
    std::vector<std::uint32_t> sorted = counts;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    double sum = 0;
    std::size_t n = 0;
    for (const std::uint32_t c : counts) {
        if (c >= *middle) {
            sum += c;
            ++n;
        }
    }
    return sum / static_cast<double>(n);
}

std::string Number(double value, int decimals, char decimalSeparator)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', decimalSeparator);
    return result;
}

// "5:07:09", or "2 d 5:07:09" from a day on.
std::string Duration(double seconds)
{
    const auto whole = static_cast<long long>(std::llround(seconds));
    char text[64];
    const long long days = whole / 86400;
    const long long rest = whole % 86400;
    if (days > 0) {
        std::snprintf(text, sizeof text, "%lld d %lld:%02lld:%02lld", days, rest / 3600,
                      rest / 60 % 60, rest % 60);
    }
    else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", rest / 3600, rest / 60 % 60,
                      rest % 60);
    }
    return text;
}

} // namespace

MeasurementProgress ProgressOf(const SpmSpectrum& spectrum)
{
    MeasurementProgress p;
    for (const std::uint32_t c : spectrum.counts)
        p.totalCounts += c;
    if (!spectrum.counts.empty())
        p.meanCounts =
            static_cast<double>(p.totalCounts) / static_cast<double>(spectrum.counts.size());
    const auto first = SecondsOf(spectrum.info.FirstStamp);
    const auto second = SecondsOf(spectrum.info.SecondStamp);
    if (first && second && *second > *first) {
        p.measuringSeconds = *second - *first;
        p.countRate = static_cast<double>(p.totalCounts) / *p.measuringSeconds;
    }
    p.baselineCounts = BaselineCounts(spectrum.counts);
    if (p.baselineCounts > 0) p.baselineNoise = 1 / std::sqrt(p.baselineCounts);
    return p;
}

void RecordObservation(std::vector<CountObservation>& history, CountObservation next)
{
    if (!history.empty() &&
        (next.totalCounts < history.back().totalCounts || next.seconds <= history.back().seconds))
        history.clear();
    history.push_back(next);
}

std::optional<double> SecondsToTargetNoise(const MeasurementProgress& now,
                                           std::span<const CountObservation> history, double target)
{
    if (!(target > 0)) return std::nullopt;
    const double needed = 1 / (target * target); // baseline counts per channel
    if (now.baselineCounts >= needed) return 0.0;
    if (history.size() < 2 || now.totalCounts == 0) return std::nullopt;
    const CountObservation& first = history.front();
    const CountObservation& last = history.back();
    if (last.totalCounts <= first.totalCounts || last.seconds <= first.seconds) return std::nullopt;
    const double rate =
        static_cast<double>(last.totalCounts - first.totalCounts) / (last.seconds - first.seconds);
    // The spectrum keeps its shape as it grows: the baseline takes its share of the new counts.
    const double baselineRate = rate * now.baselineCounts / static_cast<double>(now.totalCounts);
    return (needed - now.baselineCounts) / baselineRate;
}

std::string FormatProgress(const MeasurementProgress& progress,
                           std::optional<double> secondsToTarget, double target,
                           char decimalSeparator)
{
    const auto number = [&](double value, int decimals) {
        return Number(value, decimals, decimalSeparator);
    };
    std::string text = "Total counts: " + std::to_string(progress.totalCounts) + '\n';
    text += "Mean counts per channel: " + number(progress.meanCounts, 1) + '\n';
    text += "Measuring time: " +
            (progress.measuringSeconds ? Duration(*progress.measuringSeconds) : "unknown") + '\n';
    text += "Count rate: " +
            (progress.countRate ? number(*progress.countRate, 1) + " counts/s" : "unknown") + '\n';
    text += "Baseline noise: " +
            (progress.baselineNoise ? number(*progress.baselineNoise * 100, 3) + " %" : "unknown") +
            '\n';
    char targetText[32];
    std::snprintf(targetText, sizeof targetText, "%g", target * 100);
    std::string targetShown = targetText;
    std::replace(targetShown.begin(), targetShown.end(), '.', decimalSeparator);
    text += "Time to " + targetShown + " %: ";
    if (!secondsToTarget)
        text += "unknown";
    else if (*secondsToTarget <= 0)
        text += "reached";
    else
        text += Duration(*secondsToTarget);
    return text + '\n';
}

} // namespace trv
