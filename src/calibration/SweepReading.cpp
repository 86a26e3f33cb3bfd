#include "calibration/SweepReading.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

namespace trv::velocity {

namespace {

// A channel that differs from its partner and from its neighbours by this much (in sigma, and
// as a share of its counts) is a stray before any fit: no line is that sharp.
constexpr double kSuspectSigmas = 10.0;
constexpr double kSuspectShare = 0.04;
// Mirror positions tried at most: the turning point, the zero crossing a symmetric pattern
// also mirrors about, and one more.
constexpr std::size_t kMirrorCandidates = 3;
// Beyond this many ways to choose the lines that dips stand for, only runs of neighbouring
// lines are tried.
constexpr double kMaxLineChoices = 5000.0;

} // namespace

std::size_t WrapChannel(std::int64_t k, std::int64_t n)
{
    k %= n;
    return static_cast<std::size_t>(k < 0 ? k + n : k);
}

std::vector<double> MirrorCandidates(std::span<const std::uint32_t> y,
                                     const std::vector<char>& leftOut, double varianceScale)
{
    const auto n = static_cast<std::int64_t>(y.size());
    const auto size = static_cast<std::size_t>(n);
    // Pairs are weighed by the spectrum's mean variance (a score needs no more), and each pair
    // of sum h = k + m (mod N) lies in one run of a reversed copy of the spectrum, twice over:
    // channel k's partner is reversed[(N - 1 - h) mod N + k].
    std::vector<double> counts(size);
    std::vector<double> kept(size);
    std::vector<double> reversed(2 * size);
    std::vector<double> reversedKept(2 * size);
    double mean = 0.0;
    double keptCount = 0.0;
    for (std::size_t k = 0; k < size; ++k) {
        counts[k] = static_cast<double>(y[k]);
        kept[k] = leftOut[k] ? 0.0 : 1.0;
        mean += counts[k] * kept[k];
        keptCount += kept[k];
    }
    mean /= std::max(1.0, keptCount);
    const double inverseVariance = 1.0 / std::max(1.0, 2.0 * mean * varianceScale);
    for (std::size_t j = 0; j < 2 * size; ++j) {
        reversed[j] = counts[size - 1 - j % size];
        reversedKept[j] = kept[size - 1 - j % size];
    }
    std::vector<double> score(size);
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t h = n / 2 + i - 1;
        const auto offset = static_cast<std::size_t>(WrapChannel(n - 1 - h, n));
        const double* partner = reversed.data() + offset;
        const double* partnerKept = reversedKept.data() + offset;
        double total[4] = {};
        double pairs[4] = {};
        for (std::size_t k = 0; k < size; ++k) {
            const double d = counts[k] - partner[k];
            const double both = kept[k] * partnerKept[k];
            total[k % 4] += std::min(25.0, d * d * inverseVariance) * both;
            pairs[k % 4] += both;
        }
        const double sum = total[0] + total[1] + total[2] + total[3];
        const double count = pairs[0] + pairs[1] + pairs[2] + pairs[3];
        score[static_cast<std::size_t>(i)] = count > 0.0 ? sum / count : 1e300;
    }
    auto at = [&](std::int64_t i) { return score[WrapChannel(i, n)]; };
    std::vector<std::int64_t> minima;
    for (std::int64_t i = 0; i < n; ++i)
        if (at(i) < at(i - 1) && at(i) <= at(i + 1)) minima.push_back(i);
    std::sort(minima.begin(), minima.end(),
              [&](std::int64_t a, std::int64_t b) { return at(a) < at(b); });
    const std::int64_t apart = std::max<std::int64_t>(2, n / 16);
    std::vector<std::int64_t> chosen;
    for (const std::int64_t i : minima) {
        if (chosen.size() == kMirrorCandidates) break;
        const bool near = std::any_of(chosen.begin(), chosen.end(), [&](std::int64_t j) {
            const std::int64_t d = std::abs(i - j);
            return std::min(d, n - d) < apart;
        });
        if (!near) chosen.push_back(i);
    }
    std::vector<double> candidates;
    for (const std::int64_t i : chosen) {
        double s = static_cast<double>(n / 2 + i);
        const double curvature = at(i - 1) - 2.0 * at(i) + at(i + 1);
        if (curvature > 0.0) s += std::clamp(0.5 * (at(i - 1) - at(i + 1)) / curvature, -0.5, 0.5);
        candidates.push_back(0.5 * s);
    }
    return candidates;
}

std::vector<Dip> FindDips(std::span<const std::uint32_t> y, double c, double varianceScale,
                          const std::vector<char>& leftOut)
{
    const auto n = static_cast<std::int64_t>(y.size());
    const std::int64_t s = std::lround(2.0 * c);
    const std::int64_t last = s % 2 != 0 ? (s - 1) / 2 : s / 2 - 1;
    const std::int64_t m = n / 2;
    const std::int64_t first = last - m + 1;
    std::vector<double> folded(static_cast<std::size_t>(m));
    std::vector<char> known(folded.size());
    for (std::int64_t i = 0; i < m; ++i) {
        const std::int64_t j = first + i;
        const std::size_t a = WrapChannel(j, n);
        const std::size_t b = WrapChannel(s - 1 - j, n);
        double value = 0.0;
        if (!leftOut[a] && !leftOut[b])
            value = static_cast<double>(y[a]) + static_cast<double>(y[b]);
        else if (!leftOut[a] || !leftOut[b])
            value = 2.0 * static_cast<double>(leftOut[a] ? y[b] : y[a]);
        folded[static_cast<std::size_t>(i)] = value;
        known[static_cast<std::size_t>(i)] = !leftOut[a] || !leftOut[b];
    }
    // A point whose channels are both left out takes its neighbour's value.
    for (std::size_t i = 1; i < folded.size(); ++i)
        if (!known[i] && known[i - 1]) folded[i] = folded[i - 1], known[i] = 1;
    for (std::size_t i = folded.size() - 1; i-- > 0;)
        if (!known[i] && known[i + 1]) folded[i] = folded[i + 1], known[i] = 1;
    if (m < 8) return {};
    std::vector<double> median(folded.size());
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (i == 0 || i + 1 == folded.size()) {
            median[i] = folded[i];
            continue;
        }
        double three[] = {folded[i - 1], folded[i], folded[i + 1]};
        std::sort(std::begin(three), std::end(three));
        median[i] = three[1];
    }
    std::vector<double> smooth(folded.size());
    for (std::int64_t j = 0; j < m; ++j) {
        const std::int64_t lo = std::max<std::int64_t>(0, j - 1);
        const std::int64_t hi = std::min<std::int64_t>(m - 1, j + 1);
        double sum = 0.0;
        for (std::int64_t i = lo; i <= hi; ++i)
            sum += median[static_cast<std::size_t>(i)];
        smooth[static_cast<std::size_t>(j)] = sum / static_cast<double>(hi - lo + 1);
    }
    const std::int64_t shoulder = std::max<std::int64_t>(4, n / 32);
    std::vector<Dip> dips;
    for (std::int64_t j = 2; j + 2 < m; ++j) {
        const double here = smooth[static_cast<std::size_t>(j)];
        bool minimum = true;
        for (std::int64_t i = j - 2; i <= j + 2 && minimum; ++i)
            if (i != j && (smooth[static_cast<std::size_t>(i)] < here ||
                           (i < j && smooth[static_cast<std::size_t>(i)] == here)))
                minimum = false;
        if (!minimum) continue;
        double left = here;
        double right = here;
        for (std::int64_t i = std::max<std::int64_t>(0, j - shoulder); i < j; ++i)
            left = std::max(left, smooth[static_cast<std::size_t>(i)]);
        for (std::int64_t i = j + 1; i <= std::min(m - 1, j + shoulder); ++i)
            right = std::max(right, smooth[static_cast<std::size_t>(i)]);
        const double level = std::min(left, right);
        const double prominence = level - here;
        const double noise = std::sqrt(std::max(1.0, here * varianceScale));
        if (prominence > 5.0 * noise)
            dips.push_back({static_cast<double>(first + j), prominence, level});
    }
    return dips;
}

std::vector<std::size_t> SuspectChannels(std::span<const std::uint32_t> y, double c,
                                         double varianceScale, const std::vector<char>& leftOut)
{
    const std::size_t n = y.size();
    const auto nd = static_cast<double>(n);
    std::vector<std::pair<double, std::size_t>> found;
    for (std::size_t k = 0; k < n; ++k) {
        if (leftOut[k]) continue;
        double q = 2.0 * c - 1.0 - static_cast<double>(k);
        q -= nd * std::floor(q / nd);
        const auto i = std::min(static_cast<std::size_t>(q), n - 1);
        const std::size_t j = (i + 1) % n;
        const double frac = q - static_cast<double>(i);
        if (leftOut[i] || (frac > 0.0 && leftOut[j])) continue;
        const double partner = y[i] + (static_cast<double>(y[j]) - y[i]) * frac;
        double sum = 0.0;
        int neighbours = 0;
        for (const std::size_t m : {k - 1, k + 1}) {
            if (m >= n || leftOut[m]) continue; // k - 1 wraps past n for k = 0
            sum += y[m];
            ++neighbours;
        }
        if (neighbours == 0) continue;
        const double v = y[k];
        const double top = std::max(v, partner);
        const double sigma = std::sqrt(std::max(1.0, top * varianceScale));
        const double threshold = std::max(kSuspectSigmas * sigma, kSuspectShare * top);
        const double fromPartner = v - partner;
        const double fromNeighbours = v - sum / neighbours;
        if (fromPartner * fromNeighbours > 0.0 && std::fabs(fromPartner) > threshold &&
            std::fabs(fromNeighbours) > threshold)
            found.emplace_back(std::min(std::fabs(fromPartner), std::fabs(fromNeighbours)) / sigma,
                               k);
    }
    // Only isolated ones: a run of odd channels is something else.
    std::vector<std::pair<double, std::size_t>> isolated;
    for (const auto& f : found) {
        if (std::none_of(found.begin(), found.end(), [&](const auto& g) {
                return g.second + 1 == f.second || f.second + 1 == g.second;
            }))
            isolated.push_back(f);
    }
    if (isolated.size() > kMaxStrayChannels) return {};
    std::sort(isolated.rbegin(), isolated.rend());
    std::vector<std::size_t> channels;
    for (const auto& [size, k] : isolated)
        channels.push_back(k);
    return channels;
}

bool ZeroNearMiddle(double zero, double middle, double cal, std::size_t n)
{
    return std::fabs(zero - middle) <=
           std::min(static_cast<double>(n) / 16.0, kMaxZeroOffset / cal);
}

namespace {

// Calls visit with every choice of m of the indices 0..count-1, ascending; with only the runs
// of m neighbours when there are too many choices to try.
template <typename Visit> void ForEachChoice(std::size_t count, std::size_t m, Visit visit)
{
    double choices = 1.0;
    for (std::size_t i = 0; i < m; ++i)
        choices = choices * static_cast<double>(count - i) / static_cast<double>(i + 1);
    std::vector<std::size_t> pick(m);
    if (choices > kMaxLineChoices) {
        for (std::size_t start = 0; start + m <= count; ++start) {
            std::iota(pick.begin(), pick.end(), start);
            visit(pick);
        }
        return;
    }
    std::iota(pick.begin(), pick.end(), std::size_t{0});
    while (true) {
        visit(pick);
        std::size_t i = m;
        while (i > 0 && pick[i - 1] == count - m + i - 1)
            --i;
        if (i == 0) return;
        ++pick[i - 1];
        for (std::size_t j = i; j < m; ++j)
            pick[j] = pick[j - 1] + 1;
    }
}

} // namespace

std::optional<SweepReading> MatchDips(std::vector<Dip> dips, std::span<const double> table,
                                      double c, std::size_t n)
{
    const std::size_t lineCount = table.size();
    std::vector<std::size_t> order(lineCount);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return table[a] < table[b]; });
    std::sort(dips.begin(), dips.end(),
              [](const Dip& a, const Dip& b) { return a.prominence > b.prominence; });
    const double middle = c - 0.5 - static_cast<double>(n) / 4.0;
    const std::size_t fewest = std::min<std::size_t>(lineCount, 3);
    for (std::size_t m = std::min(dips.size(), lineCount); m >= fewest; --m) {
        std::vector<Dip> used(dips.begin(), dips.begin() + static_cast<std::ptrdiff_t>(m));
        std::sort(used.begin(), used.end(),
                  [](const Dip& a, const Dip& b) { return a.channel < b.channel; });
        double spacing = 1e300;
        for (std::size_t i = 1; i < m; ++i)
            spacing = std::min(spacing, used[i].channel - used[i - 1].channel);
        std::optional<SweepReading> best;
        ForEachChoice(lineCount, m, [&](const std::vector<std::size_t>& pick) {
            for (const int direction : {1, -1}) {
                std::vector<std::size_t> lines(m);
                for (std::size_t i = 0; i < m; ++i)
                    lines[i] = order[pick[direction > 0 ? i : m - 1 - i]];
                double mp = 0.0;
                double mj = 0.0;
                for (std::size_t i = 0; i < m; ++i) {
                    mp += table[lines[i]];
                    mj += used[i].channel;
                }
                mp /= static_cast<double>(m);
                mj /= static_cast<double>(m);
                double sxy = 0.0;
                double sxx = 0.0;
                for (std::size_t i = 0; i < m; ++i) {
                    sxy += (table[lines[i]] - mp) * (used[i].channel - mj);
                    sxx += (table[lines[i]] - mp) * (table[lines[i]] - mp);
                }
                const double slope = sxy / sxx; // channels per mm/s
                if (!(slope * direction > 0.0)) continue;
                const double zero = mj - mp * slope;
                if (!ZeroNearMiddle(zero, middle, std::fabs(1.0 / slope), n)) continue;
                double squares = 0.0;
                for (std::size_t i = 0; i < m; ++i) {
                    const double d = used[i].channel - (zero + table[lines[i]] * slope);
                    squares += d * d;
                }
                const double misfit =
                    std::sqrt(squares / static_cast<double>(m)) / std::max(spacing, 1.0);
                if (misfit > kMaxMisfit || (best && best->misfit <= misfit)) continue;
                SweepReading a;
                a.c = c;
                for (std::size_t i = 0; i < m; ++i)
                    a.matches.emplace_back(lines[i], used[i]);
                a.zero = zero;
                a.signedCal = 1.0 / slope;
                a.misfit = misfit;
                best = std::move(a);
            }
        });
        if (best) return best;
        if (m == fewest) break;
    }
    return std::nullopt;
}

} // namespace trv::velocity
