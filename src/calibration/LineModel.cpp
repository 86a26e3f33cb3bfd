#include "calibration/LineModel.h"

#include "platform/AppError.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace trv::velocity {

namespace {

// Where channel k sits on the triangular sweep that turns at c - 1/2 and, half a sweep away,
// at c - 1/2 + N/2: t is its distance from the first turning point, taken round the N
// channels, and dt/dc its derivative by the folding position.
struct SweepPoint {
    double t;
    double dtdc;
};

SweepPoint Sweep(double k, double c, double n)
{
    double d = k - (c - 0.5);
    d -= n * std::round(d / n);
    return {std::fabs(d), d >= 0.0 ? -1.0 : 1.0};
}

} // namespace

double ModelCounts(const LineProblem& p, std::span<const double> x, std::size_t k, double* row,
                   double* shiftRow)
{
    const double n = static_cast<double>(p.counts.size());
    const double c = x[kC];
    const double zero = x[kZero];
    const double cal = x[kCal];
    const double h = 0.5 * x[kWidth];
    const double b0 = x[kBase];
    const double b1 = x[kBase1];
    const double b2 = x[kBase2];

    const SweepPoint s = Sweep(static_cast<double>(k), c, n);
    const double j = c - 0.5 - s.t; // folded channel
    const double v = (j - zero) * cal;
    const double u = 4.0 * s.t / n - 1.0; // -1 at the turning point c - 1/2, +1 at the other
    const double shape = 1.0 + b1 * u + b2 * u * u;
    const double base = b0 * shape;

    const double h2 = h * h;
    double absorption = 0.0;
    double dAdv = 0.0;
    double dAdh = 0.0;
    for (std::size_t i = 0; i < p.lines.size(); ++i) {
        const double depth = x[kFirstDepth + i];
        const double dx = v - p.lines[i];
        const double q = dx * dx + h2;
        const double l = h2 / q;
        absorption += depth * l;
        if (row != nullptr) {
            row[kFirstDepth + i] = -base * l;
            dAdv += depth * (-2.0 * dx * h2 / (q * q));
            dAdh += depth * (2.0 * h * dx * dx / (q * q));
        }
        if (shiftRow != nullptr) shiftRow[i] = base * depth * (-2.0 * dx * h2 / (q * q));
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

namespace {

// The solver's position, copied: its vectors need not be contiguous.
std::vector<double> Position(const gsl_vector* x)
{
    std::vector<double> values(x->size);
    for (std::size_t i = 0; i < x->size; ++i)
        values[i] = gsl_vector_get(x, i);
    return values;
}

int Residuals(const gsl_vector* x, void* data, gsl_vector* f)
{
    const auto& p = *static_cast<const LineProblem*>(data);
    const std::vector<double> position = Position(x);
    for (std::size_t k = 0; k < p.counts.size(); ++k) {
        const double y = ModelCounts(p, position, k);
        gsl_vector_set(f, k, (y - static_cast<double>(p.counts[k])) * p.invSigma[k]);
    }
    return GSL_SUCCESS;
}

int Jacobian(const gsl_vector* x, void* data, gsl_matrix* jac)
{
    const auto& p = *static_cast<const LineProblem*>(data);
    const std::vector<double> position = Position(x);
    std::vector<double> row(jac->size2);
    for (std::size_t k = 0; k < p.counts.size(); ++k) {
        ModelCounts(p, position, k, row.data());
        for (std::size_t i = 0; i < row.size(); ++i)
            gsl_matrix_set(jac, k, i, row[i] * p.invSigma[k]);
    }
    return GSL_SUCCESS;
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

std::optional<Solution> Solve(LineProblem& problem, std::vector<double> start,
                              std::size_t maxIterations)
{
    const std::size_t n = problem.counts.size();
    const std::size_t p = start.size();
    const auto kept = static_cast<std::size_t>(std::count_if(
        problem.invSigma.begin(), problem.invSigma.end(), [](double w) { return w > 0.0; }));
    if (kept <= p) throw AppError("the spectrum has too few channels for the fit");

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
    // The normal equations of this model are well enough conditioned once scaled, and solving
    // them is several times faster than a QR of the Jacobian.
    params.solver = gsl_multifit_nlinear_solver_cholesky;
    Workspace ws;
    ws.w = gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, n, p);
    if (ws.w == nullptr) throw AppError("Out of memory");
    gsl_vector_view x0 = gsl_vector_view_array(start.data(), p);
    if (gsl_multifit_nlinear_init(&x0.vector, &fdf, ws.w) != GSL_SUCCESS) return std::nullopt;
    int info = 0;
    // No step at all from the start means the start is the best point already (a fit redone
    // about the other turning point, say).
    if (gsl_multifit_nlinear_driver(maxIterations, 1e-10, 1e-10, 0.0, nullptr, nullptr, &info,
                                    ws.w) != GSL_SUCCESS &&
        info != GSL_ENOPROG)
        return std::nullopt;

    const gsl_vector* x = gsl_multifit_nlinear_position(ws.w);
    const gsl_vector* f = gsl_multifit_nlinear_residual(ws.w);
    double chi2 = 0.0;
    gsl_blas_ddot(f, f, &chi2);
    Matrix covar(p, p);
    gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(ws.w), 0.0, covar.m);
    Solution s;
    s.chi2dof = chi2 / static_cast<double>(kept - p);
    const double inflate = s.chi2dof > 1.0 ? std::sqrt(s.chi2dof) : 1.0;
    for (std::size_t i = 0; i < p; ++i) {
        s.x.push_back(gsl_vector_get(x, i));
        const double var = gsl_matrix_get(covar.m, i, i);
        s.err.push_back(var > 0.0 ? std::sqrt(var) * inflate : 0.0);
        if (!std::isfinite(s.x.back())) return std::nullopt;
    }
    if (!std::isfinite(s.chi2dof)) return std::nullopt;
    return s;
}

std::vector<LineShift> LineShifts(const LineProblem& p, std::span<const double> x, double chi2dof)
{
    const std::size_t lineCount = p.lines.size();
    constexpr std::size_t kShared[] = {kC, kWidth, kBase, kBase1, kBase2};
    constexpr std::size_t kSharedCount = std::size(kShared);
    const std::size_t m = kSharedCount + 2 * lineCount;
    Matrix normal(m, m);
    gsl_matrix_set_zero(normal.m);
    gsl_vector* gradient = gsl_vector_calloc(m);
    std::unique_ptr<gsl_vector, void (*)(gsl_vector*)> gradientOwner(gradient, gsl_vector_free);
    std::vector<double> row(kFirstDepth + lineCount);
    std::vector<double> shiftRow(lineCount);
    std::vector<double> column(m);
    for (std::size_t k = 0; k < p.counts.size(); ++k) {
        const double w = p.invSigma[k];
        if (w == 0.0) continue;
        const double y = ModelCounts(p, x, k, row.data(), shiftRow.data());
        const double r = (static_cast<double>(p.counts[k]) - y) * w;
        for (std::size_t i = 0; i < kSharedCount; ++i)
            column[i] = row[kShared[i]] * w;
        for (std::size_t i = 0; i < lineCount; ++i) {
            column[kSharedCount + i] = row[kFirstDepth + i] * w;
            column[kSharedCount + lineCount + i] = shiftRow[i] * w;
        }
        for (std::size_t i = 0; i < m; ++i) {
            *gsl_vector_ptr(gradient, i) += column[i] * r;
            for (std::size_t j = 0; j <= i; ++j)
                *gsl_matrix_ptr(normal.m, i, j) += column[i] * column[j];
        }
    }
    if (gsl_linalg_cholesky_decomp1(normal.m) != GSL_SUCCESS) return {};
    if (gsl_linalg_cholesky_svx(normal.m, gradient) != GSL_SUCCESS) return {};
    if (gsl_linalg_cholesky_invert(normal.m) != GSL_SUCCESS) return {};
    const double inflate = chi2dof > 1.0 ? std::sqrt(chi2dof) : 1.0;
    std::vector<LineShift> shifts;
    for (std::size_t i = 0; i < lineCount; ++i) {
        const std::size_t at = kSharedCount + lineCount + i;
        const double var = gsl_matrix_get(normal.m, at, at);
        shifts.push_back(
            {gsl_vector_get(gradient, at), var > 0.0 ? std::sqrt(var) * inflate : 0.0});
    }
    return shifts;
}

} // namespace trv::velocity
