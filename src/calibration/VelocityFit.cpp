#include "calibration/VelocityFit.h"

#include "calibration/LineModel.h"
#include "calibration/SweepReading.h"

#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "platform/AppError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>

namespace trv {

namespace {

using namespace velocity;

// No channel of a real spectrum holds this many counts: such a value is a difference that went
// below zero and wrapped.
constexpr std::uint32_t kWrappedCounts = 1u << 31;
// A channel the fit misses by this many times the typical miss, while it fits its neighbours,
// is a stray.
constexpr double kStraySigmas = 6.0;
// Uncertainties beyond these say nothing about the velocity scale.
constexpr double kMaxRelativeCalError = 0.01;
constexpr double kMaxChannelError = 1.0;
// A fit from reasonable start values converges in a few dozen steps; one that needs more is
// wandering.
constexpr std::size_t kMaxIterations = 100;
constexpr std::size_t kMaxOtherIterations = 40;
// How much smaller chi2 (over the whole spectrum, in units of the better chi2/dof) one reading
// must give than another to be taken for the right one.
constexpr double kClearlyBetter = 25.0;
// Lines whose centres lie this many line widths beyond an end of the sweep still go into the
// model.
constexpr double kEdgeLineWidths = 2.5;
// A line that sits further than this (mm/s) from the table's pattern, and by this many of its
// uncertainties, says that the spectrum is not of the reference: an iron foil matches its
// table to a few thousandths of a mm/s.
constexpr double kMaxLineShift = 0.03;
constexpr double kShiftSigmas = 5.0;
// No absorption line is narrower than this (mm/s; the iron line's natural width is about
// twice that): a fit that needs narrower lines has read the sweep far too short.
constexpr double kMinLineWidth = 0.1;
// A line this close to an end of the sweep shows no dip the search could find.
constexpr double kSweepEdge = 2.0;

// A line position as its shortest exact text.
std::string LineText(double line)
{
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, line).ptr);
}

std::string Plural(std::size_t count, const std::string& word)
{
    return std::to_string(count) + ' ' + word + (count == 1 ? "" : "s");
}

std::string ChannelRange(int first, int last)
{
    return first == last ? std::to_string(first)
                         : std::to_string(first) + '-' + std::to_string(last);
}

// What one way of reading the spectrum gave: a fit, or why it cannot be right.
struct Attempt {
    std::optional<CalibrationFit> fit;
    std::string refusal;
};

Attempt Refused(std::string reason)
{
    return {std::nullopt, std::move(reason)};
}

struct FitInput {
    std::span<const std::uint32_t> counts;
    std::span<const double> table;
    double varianceScale;
    bool excludeStray;
    std::vector<char> given; // channels asked to be left out
};

// chi2 over the channels kept, from the result.
double Chi2Total(const VelocityCalibration& r)
{
    const std::size_t p = kFirstDepth + r.usedLines.size();
    return r.chi2dof *
           static_cast<double>(static_cast<std::size_t>(r.channels) - r.excluded.size() - p);
}

// A table line in the model.
struct ModelLine {
    std::size_t index; // in the table
    bool matched;      // to a dip
    double depth;      // to start from
};

// The lines in the model, in table order: those matched to dips, the others inside the sweep
// (whose dips hid in the noise, or are not there: the fit tells), and those just beyond an end
// of the sweep, whose partial dips still bend the counts there.
std::vector<ModelLine> ModelLines(const SweepReading& a, std::span<const double> table,
                                  double width, std::size_t n)
{
    std::vector<ModelLine> lines;
    double weakest = 0.9;
    for (const auto& [line, dip] : a.matches) {
        lines.push_back({line, true, std::clamp(dip.prominence / dip.level, 0.005, 0.9)});
        weakest = std::min(weakest, lines.back().depth);
    }
    const double margin = kEdgeLineWidths * width / std::fabs(a.signedCal);
    const double hi = a.c - 0.5;
    const double lo = hi - static_cast<double>(n) / 2.0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (std::any_of(a.matches.begin(), a.matches.end(),
                        [&](const auto& m) { return m.first == i; }))
            continue;
        const double channel = a.zero + table[i] / a.signedCal;
        if (channel > lo - margin && channel < hi + margin)
            lines.push_back({i, false, 0.5 * weakest});
    }
    std::sort(lines.begin(), lines.end(),
              [](const ModelLine& x, const ModelLine& y) { return x.index < y.index; });
    return lines;
}

// Why a fitted calibration cannot be right, if it cannot: zero velocity away from the middle
// of the sweep, a line matched to a dip outside the sweep or not a dip, a line inside the
// sweep without a dip, lines narrower than any real line, uncertainties that say nothing.
std::optional<std::string> Refusal(const VelocityCalibration& r, const Solution& s,
                                   const std::vector<ModelLine>& lines, double lo, double hi,
                                   double signedCal)
{
    const auto n = static_cast<std::size_t>(r.channels);
    const double middle = hi - static_cast<double>(n) / 4.0;
    const double v1 = (lo - r.zero) * signedCal;
    const double v2 = (hi - r.zero) * signedCal;
    const std::string sweep = "(" + PlainDecimal(std::min(v1, v2), 3) + " to " +
                              PlainDecimal(std::max(v1, v2), 3) + " mm/s)";
    if (!ZeroNearMiddle(r.zero, middle, r.cal, n))
        return "zero velocity comes out " + PlainDecimal((r.zero - middle) * r.cal, 2) +
               " mm/s from the middle of the sweep " + sweep +
               ", where a drive sweeping as far forwards as backwards puts it";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].matched && (r.lineChannels[i] < lo || r.lineChannels[i] > hi))
            return "the line at " + LineText(r.usedLines[i]) + " mm/s falls outside the sweep " +
                   sweep;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double depth = s.x[kFirstDepth + i];
        const double err = s.err[kFirstDepth + i];
        const bool inside =
            r.lineChannels[i] > lo + kSweepEdge && r.lineChannels[i] < hi - kSweepEdge;
        if (depth > 3.0 * err || (!lines[i].matched && !inside)) continue;
        if (lines[i].matched)
            return "the line at " + LineText(r.usedLines[i]) +
                   " mm/s does not come out as a dip (fitted depth " + PlainDecimal(depth, 2) +
                   " +/- " + PlainDecimal(err, 2) + ")";
        return "the line at " + LineText(r.usedLines[i]) + " mm/s falls inside the sweep " + sweep +
               ", but the spectrum shows no dip there";
    }
    if (!(r.width >= kMinLineWidth))
        return "the lines come out " + PlainDecimal(r.width, 2) +
               " mm/s wide, far narrower than a real line (at least " +
               PlainDecimal(kMinLineWidth, 1) + " mm/s)";
    if (!(r.calErr <= kMaxRelativeCalError * r.cal))
        return "the calibration constant comes out uncertain by " +
               PlainDecimal(100.0 * r.calErr / r.cal, 2) + " % (more than " +
               PlainDecimal(100.0 * kMaxRelativeCalError, 1) + " %)";
    if (!(r.zeroErr <= kMaxChannelError) || !(r.fold2xErr <= 2.0 * kMaxChannelError))
        return "the zero speed and folding channels come out uncertain by " +
               PlainDecimal(r.zeroErr, 2) + " and " + PlainDecimal(r.fold2xErr / 2.0, 2) +
               " channels (more than " + PlainDecimal(kMaxChannelError, 1) + ")";
    return std::nullopt;
}

// Poor: the counts stray from the model by far more than their noise, or a line sits apart
// from the table's pattern (which the counting noise can hide in chi2 when the counts are
// few). Nothing for a fit that describes the spectrum well.
std::string PoorFitReason(const VelocityCalibration& r, const std::vector<LineShift>& shifts,
                          double lo, double hi)
{
    std::string reason;
    if (r.chi2dof > kPoorFitChi2)
        reason += "chi2/dof " + PlainDecimal(r.chi2dof, 3) + " is above " +
                  PlainDecimal(kPoorFitChi2, 1) + "; ";
    std::optional<std::size_t> farthest;
    for (std::size_t i = 0; i < shifts.size(); ++i) {
        const bool inside =
            r.lineChannels[i] > lo + kSweepEdge && r.lineChannels[i] < hi - kSweepEdge;
        const double size = std::fabs(shifts[i].shift);
        if (!inside || size <= std::max(kMaxLineShift, kShiftSigmas * shifts[i].err)) continue;
        if (!farthest || size > std::fabs(shifts[*farthest].shift)) farthest = i;
    }
    if (farthest)
        reason += "the line at " + LineText(r.usedLines[*farthest]) + " mm/s sits " +
                  PlainDecimal(shifts[*farthest].shift, 2) + " +/- " +
                  PlainDecimal(shifts[*farthest].err, 1) + " mm/s off the table's pattern; ";
    if (reason.empty()) return reason;
    return reason + "the reference lines do not describe this spectrum (not the reference "
                    "absorber, or not its line table?)";
}

// A program that folds without going round the spectrum finds no partner for the channels
// beyond the fold's mirror image: a warning names them.
std::optional<std::string> UnpairedWarning(const VelocityCalibration& r)
{
    const auto n = static_cast<double>(r.channels);
    const double unpaired = std::nearbyint(std::fabs(r.fold2x - n));
    if (unpaired < 1.0) return std::nullopt;
    const int count = static_cast<int>(unpaired);
    return "the turning point lies " + PlainDecimal(std::fabs(r.fold2x - n) / 2.0, 2) +
           " channels off the middle: folding at " + PlainDecimal(r.fold2x, 4) + " leaves " +
           Plural(static_cast<std::size_t>(count), "channel") + " without a partner (" +
           (r.fold2x > n ? ChannelRange(0, count - 1)
                         : ChannelRange(r.channels - count, r.channels - 1)) +
           ")";
}

// The fit from one reading of the spectrum: fitted, then again without the stray channels it
// shows, then again about the turning point nearest the middle when it came out at the other;
// then held to what a right calibration must look like. `standing` is the best good fit of
// another reading so far, which this one must come near to be worth finishing.
Attempt FitReading(const FitInput& in, const SweepReading& a, std::size_t iterations,
                   const VelocityCalibration* standing)
{
    const std::size_t n = in.counts.size();
    const double nd = static_cast<double>(n);
    const double width0 = std::max(0.25, 2.5 * std::fabs(a.signedCal));
    const std::vector<ModelLine> modelLines = ModelLines(a, in.table, width0, n);

    LineProblem problem{in.counts, {}, std::vector<double>(n, 0.0)};
    for (const ModelLine& line : modelLines)
        problem.lines.push_back(in.table[line.index]);
    std::vector<std::uint32_t> kept;
    for (std::size_t k = 0; k < n; ++k) {
        if (in.given[k]) continue;
        problem.invSigma[k] =
            1.0 / std::sqrt(std::max(1.0, static_cast<double>(in.counts[k]) * in.varianceScale));
        kept.push_back(in.counts[k]);
    }
    const std::size_t p = kFirstDepth + modelLines.size();
    if (kept.size() <= p) throw AppError("the spectrum has too few channels for the fit");
    const std::size_t high = kept.size() * 9 / 10;
    std::nth_element(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(high), kept.end());

    std::vector<double> start(p, 0.0);
    start[kC] = a.c;
    start[kZero] = a.zero;
    start[kCal] = a.signedCal;
    start[kWidth] = width0;
    start[kBase] = std::max(1.0, static_cast<double>(kept[high]));
    for (std::size_t i = 0; i < modelLines.size(); ++i)
        start[kFirstDepth + i] = modelLines[i].depth;
    auto modelAt = [&](const std::vector<double>& x, std::size_t k) {
        return ModelCounts(problem, x, k);
    };
    auto residualAt = [&](const std::vector<double>& x, std::size_t k) {
        const double y = static_cast<double>(in.counts[k]);
        return (y - modelAt(x, k)) / std::sqrt(std::max(1.0, y * in.varianceScale));
    };
    std::vector<char> leftOut = in.given;
    auto leaveOut = [&](std::size_t k, bool out) {
        leftOut[k] = out ? 1 : 0;
        problem.invSigma[k] =
            out ? 0.0
                : 1.0 / std::sqrt(
                            std::max(1.0, static_cast<double>(in.counts[k]) * in.varianceScale));
    };
    // Residuals of the channels kept, and how far they spread (robustly: a few strays do not
    // count).
    auto residuals = [&](const std::vector<double>& x, std::vector<double>& r) {
        r.assign(n, 0.0);
        std::vector<double> sizes;
        for (std::size_t k = 0; k < n; ++k) {
            if (leftOut[k]) continue;
            r[k] = residualAt(x, k);
            sizes.push_back(std::fabs(r[k]));
        }
        const auto mid = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2);
        std::nth_element(sizes.begin(), mid, sizes.end());
        return std::max(1.0, 1.4826 * *mid);
    };

    // Channels that look like strays in the counts themselves stay out of the first fit, which
    // one of them could pull far off; those the fit then finds within their noise go back in.
    std::vector<int> strays;
    const std::vector<std::size_t>& suspects = a.suspects;
    for (const std::size_t k : suspects)
        leaveOut(k, true);
    std::optional<Solution> s = Solve(problem, start, iterations);
    if (!s) return Refused("the fit did not converge");
    if (!suspects.empty()) {
        std::vector<double> r;
        const double spread = residuals(s->x, r);
        bool back = false;
        for (const std::size_t k : suspects) {
            if (std::fabs(residualAt(s->x, k)) > kStraySigmas * spread) {
                strays.push_back(static_cast<int>(k));
                continue;
            }
            leaveOut(k, false);
            back = true;
        }
        if (back) s = Solve(problem, s->x, iterations);
        if (!s) return Refused("the fit did not converge");
    }

    // Beside a fit that stands already, a reading whose first fit lies far behind it, even
    // without the few channels it could still leave out, is no rival.
    if (standing != nullptr) {
        std::vector<double> r;
        residuals(s->x, r);
        std::vector<double> squares;
        for (std::size_t k = 0; k < n; ++k)
            if (!leftOut[k]) squares.push_back(r[k] * r[k]);
        const std::size_t few = std::min(squares.size(), kMaxStrayChannels - strays.size());
        std::partial_sort(squares.begin(), squares.begin() + static_cast<std::ptrdiff_t>(few),
                          squares.end(), std::greater<>());
        const double rest =
            std::accumulate(squares.begin() + static_cast<std::ptrdiff_t>(few), squares.end(), 0.0);
        if (rest - Chi2Total(*standing) > kClearlyBetter * std::max(1.0, standing->chi2dof))
            return Refused("the fit lies far behind another reading of the spectrum");
    }

    // Then stray channels the fit shows, one at a time, worst first: far outside their noise,
    // measured against how well the rest fits, while their neighbours are not (a fit pulled by
    // the stray may miss them a little too).
    while (in.excludeStray && strays.size() < kMaxStrayChannels) {
        std::vector<double> r;
        const double spread = residuals(s->x, r);
        std::size_t worst = n;
        for (std::size_t k = 0; k < n; ++k)
            if (!leftOut[k] && (worst == n || std::fabs(r[k]) > std::fabs(r[worst]))) worst = k;
        const double size = std::fabs(r[worst]);
        const bool isolated = (worst == 0 || std::fabs(r[worst - 1]) <= size / 3.0) &&
                              (worst + 1 == n || std::fabs(r[worst + 1]) <= size / 3.0);
        if (!(size > kStraySigmas * spread) || !isolated) break;
        strays.push_back(static_cast<int>(worst));
        leaveOut(worst, true);
        s = Solve(problem, s->x, iterations);
        if (!s) return Refused("the fit did not converge");
    }

    // The sweep turns twice; the turning point nearest the middle is the one reported.
    const double off = s->x[kC] - nd / 2.0;
    if (std::fabs(off) > nd / 4.0) {
        std::vector<double> other = s->x;
        const double c = s->x[kC];
        other[kC] = off > 0.0 ? c - nd / 2.0 : c + nd / 2.0;
        other[kZero] = off > 0.0 ? 2.0 * c - 1.0 - nd - s->x[kZero] : 2.0 * c - 1.0 - s->x[kZero];
        other[kCal] = -s->x[kCal];
        other[kBase1] = -s->x[kBase1];
        s = Solve(problem, other, iterations);
        if (!s) return Refused("the fit did not converge");
    }

    const std::vector<double>& x = s->x;
    CalibrationFit fit;
    fit.c = x[kC];
    fit.signedCal = x[kCal];
    VelocityCalibration& r = fit.result;
    r.channels = static_cast<int>(n);
    r.fold2x = 2.0 * fit.c;
    r.fold2xErr = 2.0 * s->err[kC];
    r.zero = x[kZero];
    r.zeroErr = s->err[kZero];
    r.cal = std::fabs(fit.signedCal);
    r.calErr = s->err[kCal];
    r.width = std::fabs(x[kWidth]);
    r.chi2dof = s->chi2dof;
    if (!(r.cal > 0.0)) return Refused("the fit did not converge");
    for (const ModelLine& line : modelLines) {
        r.usedLines.push_back(in.table[line.index]);
        r.lineChannels.push_back(r.zero + in.table[line.index] / fit.signedCal);
    }
    // The folded channels run from c - 1/2 - N/2 to c - 1/2, the turning points; channel
    // centres lie half a channel inside both ends.
    const double lo = fit.c - 0.5 - nd / 2.0;
    const double hi = fit.c - 0.5;
    r.vmax =
        r.cal * std::max(std::fabs(std::floor(hi) - r.zero), std::fabs(std::ceil(lo) - r.zero));

    if (const auto refusal = Refusal(r, *s, modelLines, lo, hi, fit.signedCal))
        return Refused(*refusal);
    r.poorFitReason = PoorFitReason(r, LineShifts(problem, x, r.chi2dof), lo, hi);
    r.poorFit = !r.poorFitReason.empty();
    if (const auto warning = UnpairedWarning(r)) r.warnings.push_back(*warning);

    fit.model.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        fit.model[k] = modelAt(x, k);
    for (std::size_t k = 0; k < n; ++k) {
        if (leftOut[k]) r.excluded.push_back({static_cast<int>(k), !in.given[k], residualAt(x, k)});
    }
    return {std::move(fit), {}};
}

AppError WrappedCounts(std::size_t channel, std::uint32_t value)
{
    return AppError("channel " + std::to_string(channel) + " holds " + std::to_string(value) +
                    " counts, near 2^32: the spectrum went below zero and wrapped (a "
                    "subtraction?)");
}

} // namespace

std::vector<double> DefaultReferenceLines()
{
    return {-5.3285, -3.0835, -0.8385, 0.8385, 3.0835, 5.3285};
}

CalibrationFit FitVelocityCalibration(std::span<const std::uint32_t> counts,
                                      std::span<const double> referenceLines, double varianceScale,
                                      const CalibrationOptions& options)
{
    const std::size_t n = counts.size();
    const std::size_t lineCount = referenceLines.size();
    if (lineCount < 2) throw AppError("the reference table needs at least two lines");
    std::vector<double> table(referenceLines.begin(), referenceLines.end());
    if (!std::all_of(table.begin(), table.end(), [](double v) { return std::isfinite(v); }))
        throw AppError("the reference table holds a line that is not a number");
    std::sort(table.begin(), table.end());
    if (const auto twice = std::adjacent_find(table.begin(), table.end()); twice != table.end())
        throw AppError("the reference table lists the line at " + LineText(*twice) + " mm/s twice");
    if (n < 16 || std::all_of(counts.begin(), counts.end(), [](std::uint32_t v) { return v == 0; }))
        throw AppError("the spectrum is empty");
    if (std::adjacent_find(counts.begin(), counts.end(), std::not_equal_to<>()) == counts.end())
        throw AppError("the spectrum is flat: it holds no lines to calibrate on");

    FitInput in{counts, referenceLines, varianceScale, options.excludeStrayChannels,
                std::vector<char>(n, 0)};
    for (const int channel : options.excludedChannels) {
        if (channel < 0 || static_cast<std::size_t>(channel) >= n)
            throw AppError("channel " + std::to_string(channel) +
                           " is not in the spectrum (channels 0 to " + std::to_string(n - 1) + ")");
        in.given[static_cast<std::size_t>(channel)] = 1;
    }
    for (std::size_t k = 0; k < n; ++k)
        if (!in.given[k] && counts[k] >= kWrappedCounts) throw WrappedCounts(k, counts[k]);

    // Each mirror position read with the dips found about it; the readings that match more
    // lines, and those more closely, are fitted first.
    std::vector<SweepReading> readings;
    std::optional<std::size_t> fewDips; // of the best mirror position with fewer dips than lines
    const std::vector<double> mirrors = MirrorCandidates(counts, in.given, varianceScale);
    for (const double mirror : mirrors) {
        // Channels that look like strays about this fold make no dips either.
        const std::vector<std::size_t> suspects =
            in.excludeStray ? SuspectChannels(counts, mirror, varianceScale, in.given)
                            : std::vector<std::size_t>{};
        std::vector<char> ignored = in.given;
        for (const std::size_t k : suspects)
            ignored[k] = 1;
        std::vector<Dip> dips = FindDips(counts, mirror, varianceScale, ignored);
        if (dips.size() < lineCount && !fewDips) fewDips = dips.size();
        if (auto a = MatchDips(std::move(dips), referenceLines, mirror, n)) {
            a->suspects = suspects;
            readings.push_back(std::move(*a));
        }
    }
    if (readings.empty()) {
        if (fewDips)
            throw AppError("found " + Plural(*fewDips, "dip") + "; the reference table has " +
                           std::to_string(lineCount));
        throw AppError("the dips do not follow the reference table");
    }
    std::stable_sort(readings.begin(), readings.end(),
                     [](const SweepReading& a, const SweepReading& b) {
                         if (a.matches.size() != b.matches.size())
                             return a.matches.size() > b.matches.size();
                         return a.misfit < b.misfit;
                     });
    // A reading that accounts for two dips fewer than the best is no rival worth a fit.
    const std::size_t most = readings.front().matches.size();
    std::erase_if(readings, [&](const SweepReading& a) { return a.matches.size() + 2 <= most; });

    // Every reading is fitted and the one that describes the spectrum best wins. Two that both
    // describe it well, and about as well, leave the scale undecided: a symmetric pattern in a
    // narrow sweep can look alike about the turning point and about a zero crossing.
    std::vector<CalibrationFit> fits;
    fits.reserve(readings.size());
    const VelocityCalibration* standing = nullptr; // the best good fit so far
    std::string refusal;
    for (const SweepReading& a : readings) {
        // A reading that is right converges quickly from its start values: only the most
        // likely one is given time to wander.
        Attempt attempt = FitReading(
            in, a, &a == &readings.front() ? kMaxIterations : kMaxOtherIterations, standing);
        if (!attempt.fit) {
            if (refusal.empty()) refusal = attempt.refusal;
            continue;
        }
        fits.push_back(std::move(*attempt.fit));
        const VelocityCalibration& r = fits.back().result;
        if (!r.poorFit && (standing == nullptr || r.chi2dof < standing->chi2dof)) standing = &r;
    }
    if (fits.empty()) throw AppError(refusal);
    std::stable_sort(fits.begin(), fits.end(),
                     [](const CalibrationFit& a, const CalibrationFit& b) {
                         return a.result.chi2dof < b.result.chi2dof;
                     });
    const VelocityCalibration& first = fits.front().result;
    for (std::size_t i = 1; i < fits.size(); ++i) {
        const VelocityCalibration& second = fits[i].result;
        // Two readings that came to the same calibration are one.
        const bool same = std::fabs(second.fold2x - first.fold2x) < 2.0 &&
                          std::fabs(second.cal - first.cal) < 3.0 * (first.calErr + second.calErr);
        if (second.poorFit || same) continue;
        if (Chi2Total(second) - Chi2Total(first) < kClearlyBetter * std::max(1.0, first.chi2dof))
            throw AppError("the spectrum reads about as well folded at " +
                           PlainDecimal(first.fold2x, 4) + " (cal " + PlainDecimal(first.cal, 4) +
                           ") as at " + PlainDecimal(second.fold2x, 4) + " (cal " +
                           PlainDecimal(second.cal, 4) +
                           "): the sweep shows too little of the reference pattern to tell");
    }
    return std::move(fits.front());
}

CalibrationFit CalibrateSpectrum(const std::vector<std::uint32_t>& counts, int channelCount,
                                 int saveAsMode, std::span<const double> referenceLines,
                                 const CalibrationOptions& options)
{
    // A pair sum or mean hides a wrapped channel: it is looked for before the reduction.
    const bool pairs = channelCount == 1024 && saveAsMode != kSave1024;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        if (counts[k] < kWrappedCounts) continue;
        const auto saved = static_cast<int>(pairs ? k / 2 : k);
        if (std::find(options.excludedChannels.begin(), options.excludedChannels.end(), saved) ==
            options.excludedChannels.end())
            throw WrappedCounts(k, counts[k]);
    }
    const std::vector<std::uint32_t> saved = ReduceChannels(counts, channelCount, saveAsMode);
    // A pair mean holds half the counts of its pair sum, and a quarter of its variance.
    const double varianceScale = channelCount == 1024 && saveAsMode == kSave512Mean ? 0.5 : 1.0;
    return FitVelocityCalibration(saved, referenceLines, varianceScale, options);
}

FoldedSpectrum FoldForDisplay(std::span<const std::uint32_t> counts, const CalibrationFit& fit,
                              double varianceScale)
{
    FoldedSpectrum out;
    const std::size_t size = counts.size();
    if (size == 0 || fit.model.size() != size) return out;
    const auto n = static_cast<double>(size);
    std::vector<char> leftOut(size, 0);
    for (const ExcludedChannel& e : fit.result.excluded)
        if (e.channel >= 0 && static_cast<std::size_t>(e.channel) < size)
            leftOut[static_cast<std::size_t>(e.channel)] = 1;
    // Linear interpolation between channel centres, round the spectrum; nothing where a
    // channel it needs was left out.
    auto at = [&](const auto& values, double position) -> std::optional<double> {
        position -= n * std::floor(position / n);
        const auto i = std::min(static_cast<std::size_t>(position), size - 1);
        const std::size_t next = (i + 1) % size;
        const double frac = position - static_cast<double>(i);
        if (leftOut[i] || (frac > 0.0 && leftOut[next])) return std::nullopt;
        const double a = static_cast<double>(values[i]);
        const double b = static_cast<double>(values[next]);
        return a + (b - a) * frac;
    };
    const auto first = static_cast<std::int64_t>(std::floor(fit.c - 0.5 - n / 2.0)) + 1;
    const auto last = static_cast<std::int64_t>(std::floor(fit.c - 0.5));
    for (std::int64_t j = first; j <= last; ++j) {
        const auto jd = static_cast<double>(j);
        const auto y1 = at(counts, jd);
        const auto m1 = at(fit.model, jd);
        const auto y2 = at(counts, 2.0 * fit.c - 1.0 - jd);
        const auto m2 = at(fit.model, 2.0 * fit.c - 1.0 - jd);
        if (!y1 || !m1 || !y2 || !m2) continue;
        const double y = *y1 + *y2;
        const double m = *m1 + *m2;
        out.velocity.push_back((jd - fit.result.zero) * fit.signedCal);
        out.counts.push_back(y);
        out.model.push_back(m);
        out.residual.push_back((y - m) / std::sqrt(std::max(1.0, y * varianceScale)));
    }
    return out;
}

std::vector<std::string> CalibrationNotes(const VelocityCalibration& r,
                                          std::span<const double> referenceLines)
{
    std::vector<std::string> notes;
    if (!r.excluded.empty()) {
        std::string text = "channels left out of the fit:";
        for (const ExcludedChannel& e : r.excluded) {
            text += (&e == &r.excluded.front() ? " " : ", ") + std::to_string(e.channel);
            text += e.automatic
                        ? " (far outside its noise: " + PlainDecimal(e.residual, 3) + " sigma)"
                        : " (asked for)";
        }
        notes.push_back(std::move(text));
    }
    if (r.usedLines.size() < referenceLines.size()) {
        std::string text = "lines used (mm/s):";
        for (const double line : r.usedLines)
            text += ' ' + LineText(line);
        notes.push_back(text + "; the others lie beyond the sweep");
    }
    for (const std::string& warning : r.warnings)
        notes.push_back("warning: " + warning);
    if (r.poorFit) notes.push_back("poor fit: " + r.poorFitReason);
    return notes;
}

std::string PlainDecimal(double x, int significant)
{
    if (!std::isfinite(x)) return "nan";
    int decimals = significant - 1;
    if (x != 0.0)
        decimals = significant - 1 - static_cast<int>(std::floor(std::log10(std::fabs(x))));
    decimals = std::clamp(decimals, 0, 17);
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

std::string CalibrationSummary(const VelocityCalibration& r)
{
    return "fold2x=" + PlainDecimal(r.fold2x, 8) + " fold2x_err=" + PlainDecimal(r.fold2xErr, 2) +
           " zero=" + PlainDecimal(r.zero, 8) + " zero_err=" + PlainDecimal(r.zeroErr, 2) +
           " cal=" + PlainDecimal(r.cal, 7) + " cal_err=" + PlainDecimal(r.calErr, 2) +
           " vmax=" + PlainDecimal(r.vmax, 7) + " chi2dof=" + PlainDecimal(r.chi2dof, 6);
}

std::optional<std::vector<int>> ParseChannelList(std::string_view text)
{
    constexpr int kMaxChannel = 1023;
    auto number = [](std::string_view part) -> std::optional<int> {
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        int channel = -1;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), channel);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos ||
            ec != std::errc() || end != part.data() + part.size() || channel > kMaxChannel)
            return std::nullopt;
        return channel;
    };
    std::vector<int> channels;
    std::string_view rest = text;
    while (true) {
        const auto comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        const auto dash = item.find('-');
        const std::optional<int> first = number(item.substr(0, dash));
        const std::optional<int> last =
            dash == std::string_view::npos ? first : number(item.substr(dash + 1));
        if (!first || !last || *last < *first) return std::nullopt;
        for (int channel = *first; channel <= *last; ++channel)
            channels.push_back(channel);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return channels;
}

} // namespace trv
