#include "calibration/VelocityFit.h"

#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "platform/AppError.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>

namespace trv {

namespace {

// Parameter vector: folding position, zero channel, channel width in mm/s, line width,
// baseline level and its linear and quadratic terms over the sweep, then one depth per line.
enum Param : std::size_t { kC = 0, kZero, kCal, kWidth, kBase, kBase1, kBase2, kFirstDepth };

struct Problem {
    std::span<const std::uint32_t> counts;
    std::span<const double> lines;
    std::vector<double> invSigma;
};

// Where channel k sits on the triangular sweep that turns at c - 1/2 (and, half a sweep
// away, at the ends): T is its distance from that turning point, wrapped over the N channels,
// and dT/dc its derivative by the folding position.
struct SweepPoint {
    double t;
    double dtdc;
};

SweepPoint Sweep(double k, double c, double n)
{
    const double d = k - (c - 0.5);
    const double ad = std::fabs(d);
    const double sign = d >= 0.0 ? 1.0 : -1.0;
    if (ad <= n - ad) return {ad, -sign};
    return {n - ad, sign};
}

// Model counts of channel k and, when row is given, their derivatives by every parameter.
double Model(const Problem& p, const gsl_vector* x, std::size_t k, double* row)
{
    const double n = static_cast<double>(p.counts.size());
    const double c = gsl_vector_get(x, kC);
    const double zero = gsl_vector_get(x, kZero);
    const double cal = gsl_vector_get(x, kCal);
    const double h = 0.5 * gsl_vector_get(x, kWidth);
    const double b0 = gsl_vector_get(x, kBase);
    const double b1 = gsl_vector_get(x, kBase1);
    const double b2 = gsl_vector_get(x, kBase2);

    const SweepPoint s = Sweep(static_cast<double>(k), c, n);
    const double j = c - 0.5 - s.t; // folded channel
    const double v = (j - zero) * cal;
    const double u = 4.0 * s.t / n - 1.0; // -1 at the turning point in the middle, +1 at the ends
    const double shape = 1.0 + b1 * u + b2 * u * u;
    const double base = b0 * shape;

    const double h2 = h * h;
    double absorption = 0.0;
    double dAdv = 0.0;
    double dAdh = 0.0;
    for (std::size_t i = 0; i < p.lines.size(); ++i) {
        const double depth = gsl_vector_get(x, kFirstDepth + i);
        const double dx = v - p.lines[i];
        const double q = dx * dx + h2;
        const double l = h2 / q;
        absorption += depth * l;
        if (row != nullptr) {
            row[kFirstDepth + i] = -base * l;
            dAdv += depth * (-2.0 * dx * h2 / (q * q));
            dAdh += depth * (2.0 * h * dx * dx / (q * q));
        }
    }
    const double transmitted = 1.0 - absorption;
    if (row != nullptr) {
        const double dydv = -base * dAdv;
        const double djdc = 1.0 - s.dtdc;
        const double dudc = 4.0 / n * s.dtdc;
        row[kC] = dydv * cal * djdc + b0 * (b1 + 2.0 * b2 * u) * dudc * transmitted;
        row[kZero] = -dydv * cal;
        row[kCal] = dydv * (j - zero);
        row[kWidth] = -base * dAdh * 0.5;
        row[kBase] = shape * transmitted;
        row[kBase1] = b0 * u * transmitted;
        row[kBase2] = b0 * u * u * transmitted;
    }
    return base * transmitted;
}

int Residuals(const gsl_vector* x, void* data, gsl_vector* f)
{
    const auto& p = *static_cast<const Problem*>(data);
    for (std::size_t k = 0; k < p.counts.size(); ++k) {
        const double y = Model(p, x, k, nullptr);
        gsl_vector_set(f, k, (y - static_cast<double>(p.counts[k])) * p.invSigma[k]);
    }
    return GSL_SUCCESS;
}

int Jacobian(const gsl_vector* x, void* data, gsl_matrix* jac)
{
    const auto& p = *static_cast<const Problem*>(data);
    std::vector<double> row(jac->size2);
    for (std::size_t k = 0; k < p.counts.size(); ++k) {
        Model(p, x, k, row.data());
        for (std::size_t i = 0; i < row.size(); ++i)
            gsl_matrix_set(jac, k, i, row[i] * p.invSigma[k]);
    }
    return GSL_SUCCESS;
}

// The folding position whose mirrored halves agree best, over the whole sweep and on both
// sides of the middle (a drive's turning point may lie a few channels off it), refined by a
// parabola through the best score and its neighbours.
double CoarseFoldingPosition(std::span<const std::uint32_t> y)
{
    const auto n = static_cast<std::int64_t>(y.size());
    const std::int64_t reach = std::max<std::int64_t>(4, n / 16);
    std::vector<double> scores;
    for (std::int64_t c = n / 2 - reach; c <= n / 2 + reach; ++c) {
        double sum = 0.0;
        std::int64_t pairs = 0;
        for (std::int64_t k = 0; k < c; ++k) {
            const std::int64_t m = 2 * c - 1 - k;
            if (m >= n) continue;
            const double a = y[static_cast<std::size_t>(k)];
            const double b = y[static_cast<std::size_t>(m)];
            if (a + b <= 0.0) continue;
            sum += (a - b) * (a - b) / (a + b);
            ++pairs;
        }
        scores.push_back(pairs > 0 ? sum / static_cast<double>(pairs) : 1e300);
    }
    const auto best =
        static_cast<std::size_t>(std::min_element(scores.begin(), scores.end()) - scores.begin());
    double c = static_cast<double>(n / 2 - reach + static_cast<std::int64_t>(best));
    if (best > 0 && best + 1 < scores.size()) {
        const double curvature = scores[best - 1] - 2.0 * scores[best] + scores[best + 1];
        if (curvature > 0.0)
            c += std::clamp(0.5 * (scores[best - 1] - scores[best + 1]) / curvature, -0.5, 0.5);
    }
    return c;
}

struct Dip {
    double channel;    // folded channel of the minimum
    double prominence; // depth below the lower of the two shoulders, in folded counts
    double level;      // the shoulders' level
};

// Dips of the spectrum folded about the whole channel nearest c: local minima of the
// three-channel running mean whose prominence stands clear of the counting noise.
std::vector<Dip> FindDips(std::span<const std::uint32_t> y, double c, double varianceScale)
{
    const auto n = static_cast<std::int64_t>(y.size());
    const auto fold = static_cast<std::int64_t>(std::lround(c));
    const std::int64_t first = std::max<std::int64_t>(0, 2 * fold - n);
    std::vector<double> folded;
    for (std::int64_t j = first; j < fold; ++j)
        folded.push_back(static_cast<double>(y[static_cast<std::size_t>(j)]) +
                         static_cast<double>(y[static_cast<std::size_t>(2 * fold - 1 - j)]));
    const auto m = static_cast<std::int64_t>(folded.size());
    if (m < 8) return {};
    std::vector<double> smooth(folded.size());
    for (std::int64_t j = 0; j < m; ++j) {
        const std::int64_t lo = std::max<std::int64_t>(0, j - 1);
        const std::int64_t hi = std::min<std::int64_t>(m - 1, j + 1);
        double s = 0.0;
        for (std::int64_t i = lo; i <= hi; ++i)
            s += folded[static_cast<std::size_t>(i)];
        smooth[static_cast<std::size_t>(j)] = s / static_cast<double>(hi - lo + 1);
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

struct Workspace {
    gsl_multifit_nlinear_workspace* w = nullptr;
    ~Workspace()
    {
        if (w != nullptr) gsl_multifit_nlinear_free(w);
    }
};

struct Matrix {
    gsl_matrix* m;
    Matrix(std::size_t rows, std::size_t cols) : m(gsl_matrix_alloc(rows, cols)) {}
    ~Matrix() { gsl_matrix_free(m); }
    Matrix(const Matrix&) = delete;
    Matrix& operator=(const Matrix&) = delete;
};

} // namespace

std::vector<double> DefaultReferenceLines()
{
    return {-5.3285, -3.0835, -0.8385, 0.8385, 3.0835, 5.3285};
}

CalibrationFit FitVelocityCalibration(std::span<const std::uint32_t> counts,
                                      std::span<const double> referenceLines, double varianceScale)
{
    const std::size_t n = counts.size();
    const std::size_t lineCount = referenceLines.size();
    if (lineCount < 2) throw AppError("the reference table needs at least two lines");
    if (n < 16 || std::all_of(counts.begin(), counts.end(), [](std::uint32_t v) { return v == 0; }))
        throw AppError("the spectrum is empty");
    if (std::adjacent_find(counts.begin(), counts.end(), std::not_equal_to<>()) == counts.end())
        throw AppError("the spectrum is flat: it holds no lines to calibrate on");

    // Start values: the folding position from the mirrored halves, the zero channel and the
    // channel width from the deepest dips matched in order to the table's lines.
    const double c0 = CoarseFoldingPosition(counts);
    std::vector<Dip> dips = FindDips(counts, c0, varianceScale);
    if (dips.size() < lineCount) {
        throw AppError("found " + std::to_string(dips.size()) + " dips; the reference table has " +
                       std::to_string(lineCount));
    }
    std::sort(dips.begin(), dips.end(),
              [](const Dip& a, const Dip& b) { return a.prominence > b.prominence; });
    dips.resize(lineCount);
    std::sort(dips.begin(), dips.end(),
              [](const Dip& a, const Dip& b) { return a.channel < b.channel; });
    std::vector<double> table(referenceLines.begin(), referenceLines.end());
    std::sort(table.begin(), table.end());
    if (table.front() == table.back())
        throw AppError("the reference lines all lie at one velocity");
    // Least squares of channel = Z + position / C.
    const double mp =
        std::accumulate(table.begin(), table.end(), 0.0) / static_cast<double>(lineCount);
    double mj = 0.0;
    for (const Dip& d : dips)
        mj += d.channel;
    mj /= static_cast<double>(lineCount);
    double sxy = 0.0;
    double sxx = 0.0;
    for (std::size_t i = 0; i < lineCount; ++i) {
        sxy += (table[i] - mp) * (dips[i].channel - mj);
        sxx += (table[i] - mp) * (table[i] - mp);
    }
    const double slope = sxy / sxx;
    if (!(slope > 0.0)) throw AppError("the dips do not follow the reference table");
    const double cal0 = 1.0 / slope;
    const double zero0 = mj - mp * slope;

    Problem problem{counts, referenceLines, {}};
    problem.invSigma.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        problem.invSigma[k] =
            1.0 / std::sqrt(std::max(1.0, static_cast<double>(counts[k]) * varianceScale));

    std::vector<std::uint32_t> sorted(counts.begin(), counts.end());
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n * 9 / 10),
                     sorted.end());
    const double base0 = std::max(1.0, static_cast<double>(sorted[n * 9 / 10]));

    const std::size_t p = kFirstDepth + lineCount;
    std::vector<double> start(p, 0.0);
    start[kC] = c0;
    start[kZero] = zero0;
    start[kCal] = cal0;
    start[kWidth] = std::max(0.25, 2.5 * cal0);
    start[kBase] = base0;
    // Each table line's depth from the dip matched to it (the table is searched in its order).
    for (std::size_t i = 0; i < lineCount; ++i) {
        const auto pos = static_cast<std::size_t>(
            std::lower_bound(table.begin(), table.end(), referenceLines[i]) - table.begin());
        start[kFirstDepth + i] = std::clamp(dips[pos].prominence / dips[pos].level, 0.005, 0.9);
    }
    if (n <= p) throw AppError("the spectrum has too few channels for the fit");

    // The library's own handler aborts the process; its errors come back as status codes
    // instead. The handler is global, so it is set once for every thread.
    static std::once_flag quietErrors;
    std::call_once(quietErrors, [] { gsl_set_error_handler_off(); });
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = &Residuals;
    fdf.df = &Jacobian;
    fdf.fvv = nullptr;
    fdf.n = n;
    fdf.p = p;
    fdf.params = &problem;
    gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
    params.trs = gsl_multifit_nlinear_trs_lm;
    params.scale = gsl_multifit_nlinear_scale_more;
    Workspace ws;
    ws.w = gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, n, p);
    if (ws.w == nullptr) throw AppError("Out of memory");
    gsl_vector_view x0 = gsl_vector_view_array(start.data(), p);
    if (gsl_multifit_nlinear_init(&x0.vector, &fdf, ws.w) != GSL_SUCCESS)
        throw AppError("the fit could not start");
    int info = 0;
    const int status =
        gsl_multifit_nlinear_driver(200, 1e-10, 1e-10, 0.0, nullptr, nullptr, &info, ws.w);
    if (status != GSL_SUCCESS) throw AppError("the fit did not converge");

    const gsl_vector* x = gsl_multifit_nlinear_position(ws.w);
    const gsl_vector* f = gsl_multifit_nlinear_residual(ws.w);
    double chi2 = 0.0;
    gsl_blas_ddot(f, f, &chi2);
    Matrix covar(p, p);
    gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(ws.w), 0.0, covar.m);
    const double dof = static_cast<double>(n - p);
    const double chi2dof = chi2 / dof;
    const double inflate = chi2dof > 1.0 ? std::sqrt(chi2dof) : 1.0;
    auto err = [&](std::size_t i) {
        const double var = gsl_matrix_get(covar.m, i, i);
        return var > 0.0 ? std::sqrt(var) * inflate : 0.0;
    };
    for (std::size_t i = 0; i < p; ++i)
        if (!std::isfinite(gsl_vector_get(x, i))) throw AppError("the fit did not converge");

    CalibrationFit fit;
    fit.c = gsl_vector_get(x, kC);
    fit.signedCal = gsl_vector_get(x, kCal);
    VelocityCalibration& r = fit.result;
    r.channels = static_cast<int>(n);
    r.fold2x = 2.0 * fit.c;
    r.fold2xErr = 2.0 * err(kC);
    r.zero = gsl_vector_get(x, kZero);
    r.zeroErr = err(kZero);
    r.cal = std::fabs(fit.signedCal);
    r.calErr = err(kCal);
    r.width = std::fabs(gsl_vector_get(x, kWidth));
    r.chi2dof = chi2dof;
    // The fold must stay on the spectrum, and the lines on the sweep.
    if (!(fit.c > 0.0 && fit.c < static_cast<double>(n)) || !(r.cal > 0.0))
        throw AppError("the fit did not converge");
    for (const double line : referenceLines)
        r.lineChannels.push_back(r.zero + line / fit.signedCal);
    // The folded channels run from c - 1/2 - N/2 to c - 1/2; channel centres lie half a
    // channel inside both ends.
    const double lowest = std::ceil(fit.c - 0.5 - static_cast<double>(n) / 2.0);
    const double highest = std::floor(fit.c - 0.5);
    r.vmax = r.cal * std::max(std::fabs(highest - r.zero), std::fabs(lowest - r.zero));

    fit.model.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        fit.model[k] = Model(problem, x, k, nullptr);
    return fit;
}

CalibrationFit CalibrateSpectrum(const std::vector<std::uint32_t>& counts, int channelCount,
                                 int saveAsMode, std::span<const double> referenceLines)
{
    const std::vector<std::uint32_t> saved = ReduceChannels(counts, channelCount, saveAsMode);
    // A pair mean holds half the counts of its pair sum, and a quarter of its variance.
    const double varianceScale = channelCount == 1024 && saveAsMode == kSave512Mean ? 0.5 : 1.0;
    return FitVelocityCalibration(saved, referenceLines, varianceScale);
}

FoldedSpectrum FoldForDisplay(std::span<const std::uint32_t> counts, const CalibrationFit& fit,
                              double varianceScale)
{
    FoldedSpectrum out;
    const auto n = static_cast<double>(counts.size());
    auto at = [&](const auto& values, double position) -> std::optional<double> {
        // Linear interpolation between channel centres.
        if (position < 0.0 || position > n - 1.0) return std::nullopt;
        const auto i = static_cast<std::size_t>(std::floor(position));
        const double frac = position - static_cast<double>(i);
        const double a = static_cast<double>(values[i]);
        const double b = i + 1 < values.size() ? static_cast<double>(values[i + 1]) : a;
        return a + (b - a) * frac;
    };
    const auto last = static_cast<int>(std::floor(fit.c - 0.5));
    for (int j = 0; j <= last && j < static_cast<int>(counts.size()); ++j) {
        const double partner = 2.0 * fit.c - 1.0 - j;
        const auto y2 = at(counts, partner);
        const auto m2 = at(fit.model, partner);
        if (!y2 || !m2) continue;
        const double y = static_cast<double>(counts[static_cast<std::size_t>(j)]) + *y2;
        const double m = fit.model[static_cast<std::size_t>(j)] + *m2;
        out.velocity.push_back((j - fit.result.zero) * fit.signedCal);
        out.counts.push_back(y);
        out.model.push_back(m);
        out.residual.push_back((y - m) / std::sqrt(std::max(1.0, y * varianceScale)));
    }
    return out;
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

} // namespace trv
